#pragma once
#include "lookups/lookupdialog.h"

namespace qel {

// MICR code of a bank branch: city, bank and the three code parts.
class frmmicr : public LookupDialog {
    Q_OBJECT
public:
    explicit frmmicr(QWidget* parent = nullptr);
    using LookupWindow::LoadData;
    void LoadData(const QString& Bank, const QString& City) override { loadData({Bank, City}); }
};

} // namespace qel
