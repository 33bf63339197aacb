#pragma once
#include <QElapsedTimer>
#include <QHash>
#include <QPair>
#include <QPointer>
#include <QStringList>
#include <QVector>
#include <memory>
#include "core/session.h"
#include "refdata/codes.h"
#include "refdata/tables.h"

namespace qel {

class NameIndex;
class Recordset;

// One answer of the Find window: a row of its list, and the card shown beside it.
struct FindAnswer {
    // What Enter does with it: picks it, or lists what is below it (a bank's states, a state's
    // districts, a district's branches; the branches at a PIN or of a MICR code's name).
    enum Next { Pick, States, Districts, Branches, PinBranches, MicrBranches };
    QString kind;    // "IFSC", "MICR", "PIN", "STD", "ISD", "BSR", "PAN", "TAN", "GSTIN", "Bank", "State", "Town", "District"
    QString code;
    QString name;
    QString where;
    QVector<QPair<QString, QString>> card;   // field and value, in the kind's fixed order
    Next next = Pick;
    QStringList path;   // a browse's bank, then its state and district; a PIN; a MICR code's bank and branch
    bool cardComplete = true;   // false: the card is read when the answer is shown
};

// Answers what is typed into the Find window, from the reference tables (set up on first use as
// the lookup dialogs set them up) and from the name index built from them.
class Finder {
public:
    explicit Finder(Session* session);
    ~Finder();

    // What the text may be: the captions of its readings ("PIN code, STD code"), or what a name
    // search looks through.
    static QString describe(const QString& text);
    // Every reading's answers, in the order of the readings; names when the text is no code.
    QVector<FindAnswer> answer(const QString& text);
    // One level down from a bank (its states), a state (its districts) or a district (its branches).
    QVector<FindAnswer> browse(const FindAnswer& from);
    // Reads the card of an answer found by its name.
    void completeCard(FindAnswer& answer);

    // The name index for the session's tables: built on first need, and again when a table has
    // been reloaded or a list installed since. nullptr when a table could not be set up.
    const NameIndex* nameIndex();
    // How often an index has been built in this process, and the index let go so that the next
    // name is looked up in a new one (for tests and the benchmark).
    static int indexBuilds();
    static void forgetIndex();

private:
    // The table in use for a data set, set up on its first use here, and set up again (reloaded
    // when its data changed) on recheck; "" when it cannot be set up.
    QString table(const TableDef& def, bool recheck = false);
    int rows(const TableDef& def);   // as its set-up found them
    bool open(Recordset& rs, const Sql& sql);
    QVector<FindAnswer> codeAnswers(const Codes::Reading& r);
    QVector<FindAnswer> ifsc(const QString& code);
    QVector<FindAnswer> micr(const QString& code);
    QVector<FindAnswer> micrStart(const QString& digits);
    // The MICR codes that start with digits (six to nine of them), in code order.
    QVector<FindAnswer> micrRows(const QString& digits, int limit);
    QVector<FindAnswer> pin(const QString& code);
    QVector<FindAnswer> stdCode(const QString& code);
    QVector<FindAnswer> isd(const QString& code);
    // Rows of a name and what places it, as answers of one kind and code, with the two on the card.
    QVector<FindAnswer> placeRows(const Sql& sql, const QString& kind, const QString& code, const QString& nameCaption,
                                  const QString& whereCaption);
    QVector<FindAnswer> bsr(const QString& code);
    QVector<FindAnswer> names(const QString& text);
    QVector<FindAnswer> branches(const Sql& where, int limit);
    // The STD codes of places of a state ("011, 0120"), in one indexed query.
    QString stdCodesOf(const QString& state, const QStringList& places);

    QPointer<Session> m_session;
    struct TableInUse {
        QString name;
        int rows = -1;
    };
    QHash<QString, TableInUse> m_tables;   // by data set
    QString m_signature;                   // of the tables the name index was last found for
    QElapsedTimer m_checked;               // since the name index's tables were last checked
};

// The answers that need no data: a PAN's or TAN's structure, a GSTIN's parts and check character.
FindAnswer structureAnswer(const Codes::Reading& reading);

} // namespace qel
