#pragma once
#include <QMainWindow>
#include <QMenu>
#include <memory>

class QMenu;
class QPlainTextEdit;
class QThread;
class QMdiArea;

namespace qel {
class ClsMain;
class Connection;
class StrArray;
}

// Stands in for the tax application that hosts the component: it opens a database connection,
// creates ClsMain, hands it the session and calls its operations from its menus.
class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit HostWindow(const QString& connectionString = QString());
    ~HostWindow() override;

    // Called by the component's menu window when it closes.
    Q_INVOKABLE void ReloadMenu();

    // Whether the session has been handed over (the database opened, or found missing).
    bool ready() const { return m_starting == nullptr && m_reference && m_reference->isEnabled(); }

private:
    void buildMenu();
    void startSession(const QString& connectionString);
    void sessionReady(bool connected, const QString& error);
    void report(const QString& operation, const qel::StrArray& arr, int lower, int upper);
    QString ask(const QString& label);

    std::unique_ptr<qel::Connection> m_db;
    std::unique_ptr<qel::ClsMain> m_cls;
    QMdiArea* m_area;
    QPlainTextEdit* m_out;
    QMenu* m_reference = nullptr;
    QThread* m_starting = nullptr;
};
