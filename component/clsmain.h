#pragma once
#include <QObject>
#include <QString>
#include <QVector>
#include <functional>
#include "qelrefdesk_export.h"
#include "strarray.h"

class QWidget;

namespace qel {

class Connection;
class LookupWindow;
class Session;
enum class Lookup;

// The component's one public class. The host creates it, hands it its session through InitMe
// and then calls the lookup operations, each of which opens one modal dialog and copies the
// picked values into the host's array. Every member is reachable by name through the
// meta-object system (properties and invokable operations): that is the contract with a host.
class QELREFDESK_EXPORT ClsMain : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool AltProxySett READ AltProxySett WRITE setAltProxySett)
    Q_PROPERTY(QString PANTAN_Status READ PANTAN_Status WRITE setPANTAN_Status)
    Q_PROPERTY(QString DocPath READ DocPath WRITE setDocPath)
    Q_PROPERTY(QObject* Db READ dbObject WRITE setDbObject)
    Q_PROPERTY(QString LogFlNm READ LogFlNm WRITE setLogFlNm)
    Q_PROPERTY(float ScreenRatX READ ScreenRatX WRITE setScreenRatX)
    Q_PROPERTY(float ScreenRatY READ ScreenRatY WRITE setScreenRatY)
    Q_PROPERTY(float ScreenRatFS READ ScreenRatFS WRITE setScreenRatFS)
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
    // Find: one box for every code and name, opened modally with Text already typed. The picked
    // answer comes back in OutArr(0..kFindUpperBound): its kind, its code, then its card's values:
    //   IFSC      bank, branch, address, centre, district, state
    //   MICR      clearing city, bank, branch
    //   PIN       post office, district, state, STD code(s)
    //   STD       place, state              ISD      country, place
    //   BSR       bank, branch, city, state
    //   PAN       structure ("Valid"/"Invalid"), holder      TAN      structure
    //   GSTIN     state, PAN, holder, registration, check character, result ("Valid" or the faults)
    //   Bank      bank, branches            Town     town, state, STD code(s)
    //   State, District    its name, and its state or the bank's branches there
    // Every slot is empty when the window is closed without a pick.
    Q_INVOKABLE void FindAny(qel::StrArray* OutArr, const QString& Text);
    static constexpr int kFindUpperBound = 9;
    Q_INVOKABLE void ImportResFlData(const QString& Tb, int Id, const QString& Typ);
    Q_INVOKABLE void SetProxyForWHR(QObject* WHR);
    Q_INVOKABLE bool GetProxyForWHR(QObject* OwnFrm);
    Q_INVOKABLE void Resize_For_Resolution(QWidget* MyForm, bool RePosForm = false);
    // Sets up every reference table ahead of its first use (at the host's start or installation),
    // so that no dialog waits for a load; progress(done, total, data set) is told before each.
    // The number of tables that could not be loaded.
    Q_INVOKABLE int PrepareData();
    int PrepareData(const std::function<void(int done, int total, const QString& dataSet)>& progress);

    // A data set as it ships (dataSet, table, expected) and, after PrepareData, as it was set up.
    struct DataSetReport {
        QString dataSet;       // "MICR"
        QString table;         // "TmpMICR_Master"
        qint64 expected = 0;   // the records of the installed or shipped list; 0: not installed
        QString source;        // "Data: <source>, as of <date>."
        qint64 rows = -1;      // the rows the table holds after set-up (-1: it could not be set up)
        qint64 ms = 0;         // how long its set-up took
    };
    static QVector<DataSetReport> DataSets();
    // As PrepareData, and what each data set came to, in the order of DataSets() (each entry
    // complete by the time progress hears of the next data set).
    int PrepareData(const std::function<void(int done, int total, const QString& dataSet)>& progress,
                    QVector<DataSetReport>* reports);
    static QString Version();

    // The members, as the host's properties read and write them.
    Connection* Db() const;
    QString DocPath() const;
    void setDocPath(const QString& v);
    QString LogFlNm() const;
    void setLogFlNm(const QString& v);
    float ScreenRatX() const;
    void setScreenRatX(float v);
    float ScreenRatY() const;
    void setScreenRatY(float v);
    float ScreenRatFS() const;
    void setScreenRatFS(float v);
    QString Proc_Name() const;
    void setProc_Name(const QString& v);
    QObject* MdiObj() const;
    void setMdiObj(QObject* o);
    QString PANTAN_Status() const;
    void setPANTAN_Status(const QString& v);
    bool AltProxySett() const;
    void setAltProxySett(bool v);

    // The state the component's windows share (they get it in their InitData).
    Session& session() const { return *m_session; }
    // The result slots as the dialogs wrote them (for the component's own tests and tools;
    // the host reads them only through its InArr).
    QVector<QString> resultSlots() const;

private:
    QObject* dbObject() const;
    void setDbObject(QObject* o);
    // The five lookup operations share one sequence: recreate the result slots, create the
    // dialog, InitData, LoadData, show it modally, copy the slots into InArr.
    void runLookup(Lookup kind, bool needsDb, int upperBound, StrArray* InArr, const std::function<void(LookupWindow&)>& loadData);
    // Copies the result slots 0..upperBound into the host's array.
    void copySlots(int upperBound, StrArray* InArr) const;

    Session* m_session;
};

} // namespace qel
