#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include "component/strarray.h"
#include "db/connection.h"
#include "db/dberror.h"

class QWidget;

namespace qel {


// The component's one public class. The host creates it, hands it its session through InitMe
// and then calls the lookup operations, each of which opens one modal dialog and copies the
// picked values into the host's array. Every member is reachable by name through the
// meta-object system (properties and invokable operations).
class ClsMain : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool AltProxySett MEMBER m_AltProxySett)
    Q_PROPERTY(QString PANTAN_Status MEMBER m_PANTAN_Status)
    Q_PROPERTY(QString DocPath MEMBER m_DocPath)
    Q_PROPERTY(QObject* Db READ dbObject WRITE setDbObject)
    Q_PROPERTY(QString LogFlNm MEMBER m_LogFlNm)
    Q_PROPERTY(float ScreenRatX MEMBER m_ScreenRatX)
    Q_PROPERTY(float ScreenRatY MEMBER m_ScreenRatY)
    Q_PROPERTY(float ScreenRatFS MEMBER m_ScreenRatFS)
    Q_PROPERTY(QObject* MdiObj READ MdiObj WRITE setMdiObj)
    Q_PROPERTY(QString Proc_Name READ Proc_Name WRITE setProc_Name)

public:
    explicit ClsMain(QObject* parent = nullptr);
    ~ClsMain() override;

    Q_INVOKABLE void DoErrorLogEntry();
    Q_INVOKABLE short MyDllVer() const { return 1; }
    Q_INVOKABLE void InitMe(const QString& AP, QObject* CO, const QString& LF, float SX, float SY, float SF);
    Q_INVOKABLE void OutArr(short Index, const QString& vNewVal);
    Q_INVOKABLE void ObjMain();
    Q_INVOKABLE void GetPANTANAOCode(bool PAN, qel::StrArray* InArr, const QString& City);
    Q_INVOKABLE void GetMICR(qel::StrArray* InArr, const QString& Bank, const QString& City = QString());
    Q_INVOKABLE void GetRanges(qel::StrArray* InArr, const QString& State, const QString& City, const QString& Area);
    Q_INVOKABLE void GetBSRCode(qel::StrArray* InArr, const QString& Bank);
    Q_INVOKABLE void GetIFSCCode(qel::StrArray* InArr, const QString& District, const QString& Bank);
    Q_INVOKABLE QString GetPanTanName(const QString& PANTAN);
    Q_INVOKABLE void ImportResFlData(const QString& Tb, int Id, const QString& Typ);
    Q_INVOKABLE void SetProxyForWHR(QObject* WHR);
    Q_INVOKABLE bool GetProxyForWHR(QObject* OwnFrm);
    Q_INVOKABLE void Resize_For_Resolution(QWidget* MyForm, bool RePosForm = false);

    // Session members, for the component's own windows.
    Connection* Db() const { return m_Db; }
    QString DocPath() const { return m_DocPath; }
    QString LogFlNm() const { return m_LogFlNm; }
    float ScreenRatX() const { return m_ScreenRatX; }
    float ScreenRatY() const { return m_ScreenRatY; }
    float ScreenRatFS() const { return m_ScreenRatFS; }
    QString Proc_Name() const { return m_Proc_Name; }
    void setProc_Name(const QString& v) { m_Proc_Name = v; }
    QObject* MdiObj() const { return m_MdiObj; }
    void setMdiObj(QObject* o) { m_MdiObj = o; }
    QString PANTAN_Status() const { return m_PANTAN_Status; }
    void setPANTAN_Status(const QString& v) { m_PANTAN_Status = v; }
    bool AltProxySett() const { return m_AltProxySett; }
    void setAltProxySett(bool v) { m_AltProxySett = v; }

    // The pending error that DoErrorLogEntry reports (set by a failing statement's handler).
    void raiseError(const DbError& e) { m_err = e; }
    void clearError() { m_err = {}; }
    const DbError& pendingError() const { return m_err; }

    // The bulk import lives with the reference data; it plugs itself in here.
    using Importer = std::function<void(ClsMain&, const QString& Tb, int Id, const QString& Typ)>;
    static void setImporter(Importer importer);

    // The result slots as the dialogs wrote them (for the component's own tests and tools;
    // the host reads them only through its InArr).
    QVector<QString> resultSlots() const { return m_outArr; }

private:
    QObject* dbObject() const;
    void setDbObject(QObject* o);
    // The five lookup operations share one sequence: recreate the result slots, create the
    // dialog by name, InitData, LoadData, show it modally, copy the slots into InArr.
    void runLookup(const char* dialog, bool needsDb, int upperBound, StrArray* InArr,
                   const std::function<void(QObject*)>& loadData);
    // A frmProxy, loaded and given InitData; logs under procedure when there is none.
    std::unique_ptr<QWidget> proxyDialog(const char* procedure);

    bool m_AltProxySett = false;
    QString m_PANTAN_Status;
    QString m_DocPath;
    QPointer<Connection> m_Db;
    QString m_LogFlNm;
    float m_ScreenRatX = 0, m_ScreenRatY = 0, m_ScreenRatFS = 0;
    QPointer<QObject> m_MdiObj;
    QString m_Proc_Name;
    DbError m_err;
    QVector<QString> m_outArr;   // empty until the first lookup operation creates it
};

} // namespace qel
