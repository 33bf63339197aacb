#pragma once
#include <memory>

namespace qel {

class LookupWindow;

// Each lookup dialog, made by its own file (for the table in lookupwindow.cpp).
std::unique_ptr<LookupWindow> make_frmpin();
std::unique_ptr<LookupWindow> make_frmstd();
std::unique_ptr<LookupWindow> make_frmISD();
std::unique_ptr<LookupWindow> make_frmDistance();
std::unique_ptr<LookupWindow> make_frmpantanao();
std::unique_ptr<LookupWindow> make_frmbankBSR();
std::unique_ptr<LookupWindow> make_frmSVTRange();
std::unique_ptr<LookupWindow> make_frmNodalBank();
std::unique_ptr<LookupWindow> make_frmmicr();
std::unique_ptr<LookupWindow> make_frmIFSC();
std::unique_ptr<LookupWindow> make_frmtinfc();

} // namespace qel
