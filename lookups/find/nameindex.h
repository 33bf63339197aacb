#pragma once
#include <QString>
#include <QStringList>
#include <QVector>
#include <string>
#include <unordered_map>
#include <vector>

namespace qel {

// The names of banks, branches, towns, districts, post offices and countries, found by what a
// person types: words in any order, each a whole word, the start of one (the last word as it is
// being typed), a bank's initials ("pnb"), or misspelt (one edit in a word of four to six
// letters, two in a longer one; a swap of two letters is one edit).
//
// Answers are ranked by how well the words match (an exact word above a misspelt one, a rare
// word counting more than a common one), then by the size of what is named (a town with many
// branches above a hamlet of the same spelling), then by kind.
class NameIndex {
public:
    // In the order that decides between answers that are otherwise equal.
    enum Kind : quint8 { Bank, Town, District, Country, PostOffice, Branch };
    struct Entry {
        Kind kind;
        QString name;    // what it is called: "Varanasi", "ANDHERI WEST" (a branch)
        QString where;   // what places it: "Uttar Pradesh", "HDFC Bank, GREATER MUMBAI, MAHARASHTRA"
        QString code;    // its code where it has one (a branch's IFSC, a post office's PIN ...)
    };
    struct Hit {
        int entry;
        float score;
    };

    // size: how many branches or places the name stands for (ranks a town above a hamlet).
    // moreWords are found too but are not shown (a branch's bank and centre).
    void add(Kind kind, const QString& name, const QString& where, const QString& code, int size = 0,
             const QString& moreWords = {});
    // Builds the look-up structures: after the last add, before the first find.
    void finish();

    // The best answers first, at most limit of them.
    QVector<Hit> find(const QString& query, int limit) const;
    Entry entry(int i) const;
    int size() const { return int(m_kind.size()); }
    // The memory the index holds, in bytes.
    qint64 bytes() const;

    // A text's words as the index compares them: lower case, letters and digits only.
    static std::vector<std::string> words(const QString& text);
    // The initials of a bank's name, with and without its small words ("State Bank of India":
    // "sbi" and "sboi"), where they make at least three letters.
    static QStringList initials(const QString& bankName);

private:
    struct Match {
        quint32 token;
        float similarity;
    };
    std::vector<Match> matchWord(const std::string& word, bool asPrefix) const;
    void addFuzzy(const std::string& word, int maxEdits, std::vector<Match>& out) const;
    std::string_view token(quint32 id) const;
    // Adds one query word's matches to the scores of the entries that hold them.
    void accumulate(const std::vector<Match>& matches, float weight, quint32 queryStamp, std::vector<quint32>& touched) const;

    // The entries: kind, size bonus, the words of the name and text ("name\0where\0code\0").
    std::vector<quint8> m_kind, m_wordCount;
    std::vector<float> m_sizeBonus;
    std::vector<quint32> m_textAt;
    std::vector<char> m_text;
    // The words, sorted; each with the entries that hold it and its weight (rarer, heavier).
    std::vector<quint32> m_tokenAt;
    std::vector<char> m_tokens;
    std::vector<quint32> m_postAt, m_post;
    std::vector<float> m_idf;
    // The words by the pairs of letters in them ("^a", "ab", ... "z$"), for the misspelt ones.
    std::vector<quint32> m_gramAt, m_gram;
    // Only while adding.
    std::unordered_map<std::string, quint32> m_building;
    std::vector<std::pair<quint32, quint32>> m_pairs;   // (building id, entry)
    // Scratch of find (one query at a time, on the window's thread).
    mutable std::vector<quint32> m_seen, m_mark, m_tokenMark;
    mutable std::vector<float> m_acc;
    mutable std::vector<quint8> m_hits, m_gramCount;
    mutable quint32 m_stamp = 0;
};

} // namespace qel
