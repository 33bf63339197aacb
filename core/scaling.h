#pragma once

class QWidget;

namespace qel {

// Scales a window designed for one screen to the session's factors: the geometry of the window
// and each of its controls by x and y, each control's font by fs.
void resizeForResolution(QWidget* form, float x, float y, float fs);

// The font of one control, as the font step sees it.
class FontTarget {
public:
    virtual ~FontTarget() = default;
    virtual double reportedSize() const = 0;   // the size the font actually has now
    virtual void setSize(double points) = 0;
    virtual void setName(const char* family) = 0;
};

// The font step: the largest size the font can show that is not above s * fs (times 0.98 for
// check boxes and option buttons), with a fall-back for fonts that exist only in fixed sizes.
void scaleFont(FontTarget& font, float fs, bool checkOrOption);

// Distances the layout works in (1/1440 inch) as pixels at the design resolution.
constexpr int twips(int t) { return t / 15; }

} // namespace qel
