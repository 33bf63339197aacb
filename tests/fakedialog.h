#pragma once
#include <QStringList>
#include <QTimer>
#include "core/session.h"
#include "lookups/lookupwindow.h"
#include "tests/testdesktop.h"

namespace qel::test {

// Stands in for a lookup dialog: records how it was called and, when shown, writes the slots
// it was told to through OutArr, then closes.
class FakeDialog : public LookupWindow {
    Q_OBJECT
public:
    static inline QStringList calls;
    static inline QList<QPair<int, QString>> toWrite;

    void InitData(Session* session) override
    {
        ClsObj = session;
        calls << QStringLiteral("InitData");
    }
    void LoadData(const QString& a) override { calls << QStringLiteral("LoadData[%1]").arg(a); }
    void LoadData(const QString& a, const QString& b) override { calls << QStringLiteral("LoadData[%1|%2]").arg(a, b); }
    void LoadData(const QString& a, const QString& b, const QString& c) override
    {
        calls << QStringLiteral("LoadData[%1|%2|%3]").arg(a, b, c);
    }
    void LoadData(bool pan, const QString& b) override { calls << QStringLiteral("LoadData[%1|%2]").arg(pan).arg(b); }

    // Every lookup window the desktop's session opens is a fake from now on.
    static void useEverywhere(TestDesktop& desktop)
    {
        calls.clear();
        toWrite.clear();
        desktop.windows = [](WindowFamily family, int) -> std::unique_ptr<QDialog> {
            return family == WindowFamily::Lookup ? std::make_unique<FakeDialog>() : nullptr;
        };
    }

protected:
    void showEvent(QShowEvent* e) override
    {
        QDialog::showEvent(e);
        calls << QStringLiteral("shown");
        QTimer::singleShot(0, this, [this] {
            for (const auto& [i, v] : toWrite)
                ClsObj->OutArr(short(i), v);
            accept();
        });
    }
};

} // namespace qel::test
