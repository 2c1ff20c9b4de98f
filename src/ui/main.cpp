#include "platform/start_up.h"
#include "ui/form1_factory.h"

int main(int argc, char* argv[]) { return platform::startUp(argc, argv, ui::createForm1); }
