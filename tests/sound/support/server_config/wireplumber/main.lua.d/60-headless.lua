-- The sound tests' own session manager, for WirePlumber 0.4 (Debian 12), which reads the Lua files
-- of main.lua.d from every configuration folder in name order: this one after the distribution's
-- 50-*.lua settings and before 90-enable-all.lua acts on them. Without a desktop: no hardware to
-- look for, and no flatpak portal, which needs the D-Bus session bus.
alsa_monitor.enabled = false
v4l2_monitor.enabled = false
libcamera_monitor.enabled = false
default_access.properties["enable-flatpak-portal"] = false
