#include "app/hostwindow.h"
HostWindow::HostWindow() {}
