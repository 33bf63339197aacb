#include "lookups/find/frmfind.h"
#include "core/msgservice.h"
#include "core/named.h"
#include "lookups/grid/flexgrid.h"
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace qel {

namespace {
constexpr int kTypingPauseMs = 120;
enum Column { Kind = 1, Code, Name, Where };
} // namespace

frmFind::frmFind(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    build();
    m_typing.setSingleShot(true);
    m_typing.setInterval(kTypingPauseMs);
    connect(&m_typing, &QTimer::timeout, this, &frmFind::refresh);
    connect(txtFind, &QLineEdit::textChanged, this, [this] {
        m_levels.clear();
        m_typing.start();
    });
    connect(vsfFind, &FlexGrid::rowPicked, this, &frmFind::pick);
    connect(vsfFind->selectionModel(), &QItemSelectionModel::currentChanged, this, &frmFind::showCard);
    connect(cmdselect, &QPushButton::clicked, this, [this] { pick(vsfFind->row()); });
    connect(cmdclose, &QPushButton::clicked, this, &QDialog::reject);
    txtFind->installEventFilter(this);
    vsfFind->installEventFilter(this);
}

frmFind::~frmFind() = default;

void frmFind::build()
{
    txtFind = named(new QLineEdit(this), "txtFind");
    txtFind->setPlaceholderText(QStringLiteral("IFSC, MICR, PIN, STD, ISD, BSR, PAN, TAN, GSTIN, or a name"));
    txtFind->setMaxLength(4096);
    lblKind = named(new QLabel(this), "lblKind");
    lblKind->setTextFormat(Qt::PlainText);
    vsfFind = named(new FlexGrid(this), "vsfFind");
    vsfFind->setCols(5);
    const char* headers[] = {"Sr. No.", "Kind", "Code", "Name", "Where"};
    const int widths[] = {600, 900, 1500, 3200, 4200};
    vsfFind->setRows(1);
    for (int c = 0; c < 5; ++c) {
        vsfFind->setTextMatrix(0, c, QString::fromLatin1(headers[c]));
        vsfFind->setColWidthTwips(c, widths[c]);
    }
    vsfFind->setCodeColumns({Code});
    vsfFind->setExportName(QStringLiteral("find"));
    vsfFind->setSelectionBehavior(QAbstractItemView::SelectRows);
    lblCard = named(new QLabel(this), "lblCard");
    lblCard->setTextFormat(Qt::PlainText);   // the data is shown as it is, never as markup
    lblCard->setWordWrap(true);
    lblCard->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblCard->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lblCard->setMinimumWidth(260);
    lblCard->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lblCard, &QWidget::customContextMenuRequested, this, &frmFind::cardMenu);
    cmdselect = named(new QPushButton(QStringLiteral("&Select"), this), "cmdselect");
    cmdclose = named(new QPushButton(QStringLiteral("&Close"), this), "cmdclose");
    for (QPushButton* b : {cmdselect, cmdclose})
        b->setAutoDefault(false);
    auto* hint = named(new QLabel(QStringLiteral("Enter picks the highlighted answer (a bank opens its states); Esc goes back; "
                                                 "Ctrl+C copies the code."), this), "lblHint");
    auto* middle = new QHBoxLayout;
    middle->addWidget(vsfFind, 3);
    middle->addWidget(lblCard, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(hint, 1);
    buttons->addWidget(cmdselect);
    buttons->addWidget(cmdclose);
    auto* all = new QVBoxLayout(this);
    all->addWidget(txtFind);
    all->addWidget(lblKind);
    all->addLayout(middle, 1);
    all->addLayout(buttons);
    resize(1000, 600);
}

void frmFind::InitData(Session* session)
{
    ClsObj = session;
    vsfFind->setSession(session);
    m_finder = std::make_unique<Finder>(session);
    lblKind->setText(Finder::describe(QString()));
}

void frmFind::setText(const QString& text)
{
    txtFind->setText(text);
    m_typing.stop();
    refresh();
}

void frmFind::refresh()
{
    m_levels.clear();
    const QString text = txtFind->text();
    lblKind->setText(Finder::describe(text));
    list(text.trimmed().isEmpty() || !m_finder ? QVector<FindAnswer>() : m_finder->answer(text));
}

void frmFind::list(const QVector<FindAnswer>& answers)
{
    m_answers = answers;
    vsfFind->setRedraw(false);
    vsfFind->setRows(int(answers.size()) + 1);
    for (int i = 0; i < answers.size(); ++i) {
        const FindAnswer& a = answers[i];
        vsfFind->setTextMatrix(i + 1, 0, QString::number(i + 1));
        vsfFind->setTextMatrix(i + 1, Kind, a.kind);
        vsfFind->setTextMatrix(i + 1, Code, a.code);
        vsfFind->setTextMatrix(i + 1, Name, a.name);
        vsfFind->setTextMatrix(i + 1, Where, a.where);
    }
    vsfFind->setRedraw(true);
    if (!answers.isEmpty())
        vsfFind->setRow(1);
    showCard();
}

FindAnswer* frmFind::current()
{
    const int r = vsfFind->row();
    return r >= 1 && r <= m_answers.size() ? &m_answers[r - 1] : nullptr;
}

void frmFind::showCard()
{
    FindAnswer* a = current();
    if (!a) {
        lblCard->setText(m_answers.isEmpty() && !txtFind->text().trimmed().isEmpty() ? QStringLiteral("Nothing found.") : QString());
        return;
    }
    m_finder->completeCard(*a);
    QStringList lines{a->kind + (a->code.isEmpty() ? QString() : u' ' + a->code)};
    for (const auto& [field, value] : std::as_const(a->card))
        if (!value.isEmpty())
            lines << field + QStringLiteral(": ") + value;
    if (a->card.isEmpty())
        lines << a->name;
    lblCard->setText(lines.join(u'\n'));
}

void frmFind::pick(int gridRow)
{
    if (gridRow < 1 || gridRow > m_answers.size())
        return;
    FindAnswer a = m_answers[gridRow - 1];
    if (a.next != FindAnswer::Pick) {
        m_levels.append({m_answers, gridRow, lblKind->text()});
        lblKind->setText(a.path.join(QStringLiteral(" > ")));
        list(m_finder->browse(a));
        return;
    }
    m_finder->completeCard(a);
    if (ClsObj) {
        ClsObj->OutArr(0, a.kind);
        ClsObj->OutArr(1, a.code);
        for (int i = 0; i < a.card.size() && i + 2 <= kUpperBound; ++i)
            ClsObj->OutArr(short(i + 2), a.card[i].second);
    }
    accept();
}

bool frmFind::back()
{
    if (m_levels.isEmpty())
        return false;
    const Level l = m_levels.takeLast();
    lblKind->setText(l.caption);
    list(l.answers);
    vsfFind->setRow(l.row);
    return true;
}

void frmFind::copyCode()
{
    if (const FindAnswer* a = current(); a && !a->code.isEmpty())
        QApplication::clipboard()->setText(a->code);
}

void frmFind::cardMenu(const QPoint& at)
{
    FindAnswer* a = current();
    if (!a)
        return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuCard"));
    for (const auto& [field, value] : std::as_const(a->card))
        if (!value.isEmpty())
            menu.addAction(QStringLiteral("Copy %1").arg(field.toLower()), this, [value] { QApplication::clipboard()->setText(value); });
    menu.exec(lblCard->mapToGlobal(at));
}

bool frmFind::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* k = static_cast<QKeyEvent*>(event);
    const bool inBox = watched == txtFind;
    if (k->matches(QKeySequence::Copy) && (!inBox || !txtFind->hasSelectedText())) {
        copyCode();
        return true;
    }
    switch (k->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_typing.isActive()) {   // the answers of what was typed first
            m_typing.stop();
            refresh();
        }
        pick(vsfFind->row());
        return true;
    case Qt::Key_Escape:
        if (!back())
            reject();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (inBox) {   // the list moves while the focus stays in the box
            QApplication::sendEvent(vsfFind, event);
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qel
