#pragma once
#include <QDialog>
#include <QPointer>
#include <QMap>
#include <QString>

class QLabel;
class QPushButton;

namespace qel {

class Session;

class FlexGrid;

// Installs an official list for a data set that ships empty, from inside its dialog: the user
// chooses a CSV file, sees its first rows under the data set's fields, and installs it. A file
// with errors is refused with their line numbers, and nothing changes.
class frmInstallList : public QDialog {
    Q_OBJECT
public:
    // type: the data resource ("BANKBSR"); caption: the data set as the user knows it.
    frmInstallList(Session* session, const QString& type, const QString& caption, QWidget* parent = nullptr);

    // Reads a CSV file, maps its columns to the fields by their headers and shows the first rows.
    bool loadFile(const QString& path);
    // Converts the whole file and installs it; false (and a message) when it has errors.
    bool install();
    int installedRecords() const { return m_installed; }

private:
    void chooseFile();

    QPointer<Session> m_session;
    QString m_type;
    QByteArray m_csv;
    QMap<QString, QString> m_mapping;   // field -> CSV column
    int m_installed = 0;
    QLabel* lblFile;
    QLabel* lblMapping;
    FlexGrid* vsfPreview;
    QPushButton* cmdChoose;
    QPushButton* cmdInstall;
    QPushButton* cmdCancel;
};

} // namespace qel
