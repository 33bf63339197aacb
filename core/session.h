#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>
#include "db/connection.h"
#include "db/dberror.h"

class QWidget;

namespace qel {

class Desktop;

// What the host hands over in InitMe, and what every window of the component shares through it:
// the database connection, the document folder and the log, the screen's scale factors, the
// result slots of the running lookup, the verification's request and result, the proxy
// dialog's answer, and the desktop its windows ask. The facade holds one; each window keeps it
// as ClsObj from its InitData.
class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(QObject* parent = nullptr) : QObject(parent) {}

    Connection* Db() const { return m_Db; }
    void setDb(Connection* db) { m_Db = db; }
    QString DocPath() const { return m_DocPath; }
    void setDocPath(const QString& v) { m_DocPath = v; }
    QString LogFlNm() const { return m_LogFlNm; }
    void setLogFlNm(const QString& v) { m_LogFlNm = v; }
    float ScreenRatX() const { return m_ScreenRatX; }
    float ScreenRatY() const { return m_ScreenRatY; }
    float ScreenRatFS() const { return m_ScreenRatFS; }
    void setScreenRatios(float x, float y, float fs);
    void setScreenRatX(float v) { m_ScreenRatX = v; }
    void setScreenRatY(float v) { m_ScreenRatY = v; }
    void setScreenRatFS(float v) { m_ScreenRatFS = v; }
    QString Proc_Name() const { return m_Proc_Name; }
    void setProc_Name(const QString& v) { m_Proc_Name = v; }
    QObject* MdiObj() const { return m_MdiObj; }
    void setMdiObj(QObject* o) { m_MdiObj = o; }
    QString PANTAN_Status() const { return m_PANTAN_Status; }
    void setPANTAN_Status(const QString& v) { m_PANTAN_Status = v; }
    bool AltProxySett() const { return m_AltProxySett; }
    void setAltProxySett(bool v) { m_AltProxySett = v; }
    // The desktop its windows use (see Desktop); nullptr: the real one. Not owned.
    Desktop* desktop() const { return m_desktop; }
    void setDesktop(Desktop* d) { m_desktop = d; }

    // The log: the pending error (set by a failing statement's handler) and the line it writes to
    // DocPath/LogFlNm: date and time, number, description, source and Proc_Name, tab-separated.
    void raiseError(const DbError& e) { m_err = e; }
    void clearError() { m_err = {}; }
    const DbError& pendingError() const { return m_err; }
    void DoErrorLogEntry();

    // Scales a window to the session's factors (the fixed design of 1024 x 768 to this screen).
    void Resize_For_Resolution(QWidget* MyForm, bool RePosForm = false) const;

    // The result slots: recreated empty by each lookup with its upper bound, written by the
    // dialog's Select (a write outside the bounds, or before any lookup, is ignored).
    void resetSlots(int upperBound) { m_outArr = QVector<QString>(upperBound + 1); }
    void OutArr(short Index, const QString& vNewVal);
    QVector<QString> resultSlots() const { return m_outArr; }

private:
    QPointer<Connection> m_Db;
    QString m_DocPath, m_LogFlNm, m_Proc_Name, m_PANTAN_Status;
    float m_ScreenRatX = 0, m_ScreenRatY = 0, m_ScreenRatFS = 0;
    QPointer<QObject> m_MdiObj;
    bool m_AltProxySett = false;
    Desktop* m_desktop = nullptr;
    DbError m_err;
    QVector<QString> m_outArr;   // empty until the first lookup creates it
};

} // namespace qel
