-- WirePlumber 0.4: no Bluetooth, which needs the D-Bus system bus and logind.
bluez_monitor.enabled = false
