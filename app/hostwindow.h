#pragma once
#include <QMainWindow>
class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    HostWindow();
};
