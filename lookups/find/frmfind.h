#pragma once
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <memory>
#include "core/session.h"
#include "lookups/find/finder.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace qel {

class FlexGrid;

// Find: one box for every code and name. As the user types, the window says what the text is
// and lists its answers; the highlighted answer's card shows beside them. Enter picks the
// answer (a bank opens its states, a state its districts, a district its branches; Escape goes
// back up); Ctrl+C copies its code, and each field of the card copies from the card's menu.
// The picked answer goes to the host through the result slots: its kind, its code, then its
// card's values in the kind's order.
class frmFind : public QDialog {
    Q_OBJECT
public:
    explicit frmFind(QWidget* parent = nullptr);
    ~frmFind() override;

    static constexpr int kUpperBound = 9;   // slots 0..9: kind, code, up to eight card values

    void InitData(Session* session);
    // Puts the text in the box and answers it at once.
    void setText(const QString& text);
    // The answers listed now (for tests and the host's tools).
    const QVector<FindAnswer>& answers() const { return m_answers; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void refresh();
    void list(const QVector<FindAnswer>& answers);
    void showCard();
    void pick(int gridRow);
    bool back();
    void copyCode();
    void cardMenu(const QPoint& at);
    FindAnswer* current();

    QPointer<Session> ClsObj;
    std::unique_ptr<Finder> m_finder;
    QLineEdit* txtFind;
    QLabel* lblKind;
    FlexGrid* vsfFind;
    QLabel* lblCard;
    QPushButton* cmdselect;
    QPushButton* cmdclose;
    QTimer m_typing;   // answers once typing pauses
    QVector<FindAnswer> m_answers;
    // The levels a browse came down through, to go back to.
    struct Level {
        QVector<FindAnswer> answers;
        int row;
        QString caption;
    };
    QVector<Level> m_levels;
};

} // namespace qel
