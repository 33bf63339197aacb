#pragma once
#include <QDialog>
#include <QStringList>
#include <QTimer>
#include "component/clsmain.h"

namespace qel::test {

// Stands in for a lookup dialog: records how it was called and, when shown, writes the slots
// it was told to through OutArr, then closes.
class FakeDialog : public QDialog {
    Q_OBJECT
public:
    static inline QStringList calls;
    static inline QList<QPair<int, QString>> toWrite;

    Q_INVOKABLE void InitData(QObject* cls)
    {
        m_cls = qobject_cast<ClsMain*>(cls);
        calls << QStringLiteral("InitData");
    }
    Q_INVOKABLE void LoadData(const QString& a) { calls << QStringLiteral("LoadData[%1]").arg(a); }
    Q_INVOKABLE void LoadData(const QString& a, const QString& b) { calls << QStringLiteral("LoadData[%1|%2]").arg(a, b); }
    Q_INVOKABLE void LoadData(const QString& a, const QString& b, const QString& c)
    {
        calls << QStringLiteral("LoadData[%1|%2|%3]").arg(a, b, c);
    }
    Q_INVOKABLE void LoadData(bool pan, const QString& b) { calls << QStringLiteral("LoadData[%1|%2]").arg(pan).arg(b); }

protected:
    void showEvent(QShowEvent* e) override
    {
        QDialog::showEvent(e);
        calls << QStringLiteral("shown");
        QTimer::singleShot(0, this, [this] {
            for (const auto& [i, v] : toWrite)
                m_cls->OutArr(short(i), v);
            accept();
        });
    }

private:
    ClsMain* m_cls = nullptr;
};

} // namespace qel::test
