#include "lookups/find/nameindex.h"
#include <algorithm>
#include <cmath>
#include <numeric>

namespace qel {

namespace {
constexpr float kExact = 1.0f, kPrefix = 0.9f, kOneEdit = 0.85f, kTwoEdits = 0.6f;
constexpr float kKindBonus[] = {0.06f, 0.05f, 0.04f, 0.04f, 0.02f, 0.0f};
constexpr float kLongerName = 0.06f;   // per word the name has beyond the query's (three at most)
constexpr size_t kMaxPrefixWords = 4000;  // words a short start may stand for
constexpr size_t kMaxQueryWords = 8, kMaxWordLength = 40;

int gram(unsigned char a, unsigned char b) { return a << 8 | b; }

// The grams of "^word$", each once.
std::vector<int> grams(const std::string& w)
{
    std::vector<int> g;
    const std::string padded = '^' + w + '$';
    for (size_t i = 0; i + 1 < padded.size(); ++i)
        g.push_back(gram(padded[i], padded[i + 1]));
    std::sort(g.begin(), g.end());
    g.erase(std::unique(g.begin(), g.end()), g.end());
    return g;
}

// The optimal string alignment distance of a and b, or max + 1 when it is more than max.
int editDistance(std::string_view a, std::string_view b, int max)
{
    if (int(a.size()) - int(b.size()) > max || int(b.size()) - int(a.size()) > max)
        return max + 1;
    const size_t n = b.size();
    std::vector<int> prev2(n + 1), prev(n + 1), cur(n + 1);
    std::iota(prev.begin(), prev.end(), 0);
    for (size_t i = 1; i <= a.size(); ++i) {
        cur[0] = int(i);
        int rowMin = cur[0];
        for (size_t j = 1; j <= n; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                cur[j] = std::min(cur[j], prev2[j - 2] + 1);
            rowMin = std::min(rowMin, cur[j]);
        }
        if (rowMin > max)
            return max + 1;
        std::swap(prev2, prev);
        std::swap(prev, cur);
    }
    return prev[n];
}
} // namespace

std::vector<std::string> NameIndex::words(const QString& text)
{
    std::vector<std::string> out;
    std::string w;
    auto flush = [&] {
        if (!w.empty())
            out.push_back(w.substr(0, kMaxWordLength));
        w.clear();
    };
    for (QChar c : text) {
        if (c.unicode() >= 128) {
            const QString d = c.decomposition();   // "é" -> "e" and its accent
            c = d.isEmpty() ? QChar(u' ') : d.front();
        }
        const char a = char(QChar::toLower(c.unicode()));
        if ((a >= 'a' && a <= 'z') || (a >= '0' && a <= '9'))
            w += a;
        else
            flush();
    }
    flush();
    return out;
}

QStringList NameIndex::initials(const QString& bankName)
{
    static const QStringList kSmall{QStringLiteral("of"), QStringLiteral("and"), QStringLiteral("the"), QStringLiteral("ltd"),
                                    QStringLiteral("limited")};
    QString all, big;
    for (const std::string& w : words(bankName)) {
        all += QChar::fromLatin1(w[0]);
        if (!kSmall.contains(QString::fromStdString(w)))
            big += QChar::fromLatin1(w[0]);
    }
    QStringList out;
    for (const QString& s : {big, all})
        if (s.size() >= 3 && !out.contains(s))
            out << s;
    return out;
}

void NameIndex::add(Kind kind, const QString& name, const QString& where, const QString& code, int size, const QString& moreWords)
{
    const quint32 e = quint32(m_kind.size());
    m_kind.push_back(kind);
    m_sizeBonus.push_back(0.08f * std::log10(1.0f + float(std::max(size, 0))));
    m_textAt.push_back(quint32(m_text.size()));
    for (const QString& part : {name, where, code}) {
        const QByteArray u = part.toUtf8();
        m_text.insert(m_text.end(), u.begin(), u.end());
        m_text.push_back('\0');
    }
    m_wordCount.push_back(quint8(std::min<size_t>(words(name).size(), 255)));
    std::vector<std::string> ws = words(name + u' ' + where + u' ' + moreWords);
    std::sort(ws.begin(), ws.end());
    ws.erase(std::unique(ws.begin(), ws.end()), ws.end());
    for (const std::string& w : ws) {
        const auto it = m_building.try_emplace(w, quint32(m_building.size())).first;
        m_pairs.emplace_back(it->second, e);
    }
}

void NameIndex::finish()
{
    // Number the words in sorted order, so that a word's start finds a range of them.
    std::vector<const std::string*> sorted;
    sorted.reserve(m_building.size());
    for (const auto& [w, id] : m_building)
        sorted.push_back(&w);
    std::sort(sorted.begin(), sorted.end(), [](const std::string* a, const std::string* b) { return *a < *b; });
    std::vector<quint32> renumber(m_building.size());
    m_tokenAt.assign(1, 0);
    m_tokens.clear();
    for (size_t i = 0; i < sorted.size(); ++i) {
        renumber[m_building.at(*sorted[i])] = quint32(i);
        m_tokens.insert(m_tokens.end(), sorted[i]->begin(), sorted[i]->end());
        m_tokenAt.push_back(quint32(m_tokens.size()));
    }
    // The entries of each word (ascending, as they were added).
    const size_t words = sorted.size();
    m_postAt.assign(words + 1, 0);
    for (const auto& [w, e] : m_pairs)
        ++m_postAt[renumber[w] + 1];
    std::partial_sum(m_postAt.begin(), m_postAt.end(), m_postAt.begin());
    m_post.resize(m_pairs.size());
    std::vector<quint32> fill(m_postAt.begin(), m_postAt.end() - 1);
    for (const auto& [w, e] : m_pairs)
        m_post[fill[renumber[w]]++] = e;
    m_idf.resize(words);
    for (size_t t = 0; t < words; ++t)
        m_idf[t] = std::log(1.0f + float(m_kind.size()) / float(m_postAt[t + 1] - m_postAt[t]));
    // The words of each gram.
    std::vector<std::pair<int, quint32>> byGram;
    for (quint32 t = 0; t < words; ++t)
        for (int g : grams(std::string(token(t))))
            byGram.emplace_back(g, t);
    std::sort(byGram.begin(), byGram.end());
    m_gramAt.assign(65537, 0);
    for (const auto& [g, t] : byGram)
        ++m_gramAt[g + 1];
    std::partial_sum(m_gramAt.begin(), m_gramAt.end(), m_gramAt.begin());
    m_gram.resize(byGram.size());
    for (size_t i = 0; i < byGram.size(); ++i)
        m_gram[i] = byGram[i].second;
    m_building = {};
    m_pairs = {};
    m_pairs.shrink_to_fit();
    for (auto* v : {&m_seen, &m_mark})
        v->assign(m_kind.size(), 0);
    m_acc.assign(m_kind.size(), 0);
    m_hits.assign(m_kind.size(), 0);
    m_tokenMark.assign(words, 0);
    m_gramCount.assign(words, 0);
}

std::string_view NameIndex::token(quint32 id) const
{
    return {m_tokens.data() + m_tokenAt[id], size_t(m_tokenAt[id + 1] - m_tokenAt[id])};
}

NameIndex::Entry NameIndex::entry(int i) const
{
    const char* p = m_text.data() + m_textAt[size_t(i)];
    Entry e{Kind(m_kind[size_t(i)]), {}, {}, {}};
    for (QString* s : {&e.name, &e.where, &e.code}) {
        const size_t n = std::strlen(p);
        *s = QString::fromUtf8(p, qsizetype(n));
        p += n + 1;
    }
    return e;
}

qint64 NameIndex::bytes() const
{
    auto b = [](const auto& v) { return qint64(v.capacity() * sizeof(v[0])); };
    return b(m_kind) + b(m_wordCount) + b(m_sizeBonus) + b(m_textAt) + b(m_text) + b(m_tokenAt) + b(m_tokens) + b(m_postAt)
           + b(m_post) + b(m_idf) + b(m_gramAt) + b(m_gram) + b(m_seen) + b(m_mark) + b(m_tokenMark) + b(m_acc) + b(m_hits)
           + b(m_gramCount);
}

void NameIndex::addFuzzy(const std::string& word, int maxEdits, std::vector<Match>& out) const
{
    // A word within maxEdits edits shares all but 3 grams per edit (a swap breaks three).
    const std::vector<int> gs = grams(word);
    const int need = std::max(1, int(gs.size()) - 3 * maxEdits);
    ++m_stamp;
    std::vector<quint32> candidates;
    for (int g : gs)
        for (quint32 i = m_gramAt[g]; i < m_gramAt[g + 1]; ++i) {
            const quint32 t = m_gram[i];
            if (m_tokenMark[t] != m_stamp) {
                m_tokenMark[t] = m_stamp;
                m_gramCount[t] = 0;
                candidates.push_back(t);
            }
            ++m_gramCount[t];
        }
    for (quint32 t : candidates) {
        if (m_gramCount[t] < need)
            continue;
        const std::string_view w = token(t);
        const int d = editDistance(word, w, maxEdits);
        if (d >= 1 && d <= maxEdits)
            out.push_back({t, d == 1 ? kOneEdit : kTwoEdits});
    }
}

std::vector<NameIndex::Match> NameIndex::matchWord(const std::string& word, bool asPrefix) const
{
    std::vector<Match> out;
    // The words are stored in sorted order: a binary search over their numbers.
    quint32 lo = 0, hi = quint32(m_tokenAt.size() - 1);
    while (lo < hi) {
        const quint32 mid = (lo + hi) / 2;
        if (token(mid) < word)
            lo = mid + 1;
        else
            hi = mid;
    }
    const quint32 words = quint32(m_tokenAt.size() - 1);
    quint32 at = lo;
    if (at < words && token(at) == word)
        out.push_back({at++, kExact});
    if (asPrefix)
        for (size_t n = 0; at < words && token(at).substr(0, word.size()) == word && n < kMaxPrefixWords; ++at, ++n)
            out.push_back({at, kPrefix});
    if (word.size() >= 4)
        addFuzzy(word, word.size() >= 7 ? 2 : 1, out);
    // Each entry takes its best match of the word: the best are gone through first.
    std::stable_sort(out.begin(), out.end(), [](const Match& a, const Match& b) { return a.similarity > b.similarity; });
    return out;
}

void NameIndex::accumulate(const std::vector<Match>& matches, float weight, quint32 queryStamp, std::vector<quint32>& touched) const
{
    const quint32 wordStamp = ++m_stamp;
    for (const Match& m : matches)
        for (quint32 p = m_postAt[m.token]; p < m_postAt[m.token + 1]; ++p) {
            const quint32 e = m_post[p];
            if (m_mark[e] == wordStamp)
                continue;   // already matched by this query word, as well or better
            m_mark[e] = wordStamp;
            if (m_seen[e] != queryStamp) {
                m_seen[e] = queryStamp;
                m_acc[e] = 0;
                m_hits[e] = 0;
                touched.push_back(e);
            }
            m_acc[e] += m.similarity * weight;
            ++m_hits[e];
        }
}

QVector<NameIndex::Hit> NameIndex::find(const QString& query, int limit) const
{
    std::vector<std::string> ws = words(query.left(400));
    if (ws.size() > kMaxQueryWords)
        ws.resize(kMaxQueryWords);
    if (ws.empty() || m_kind.empty())
        return {};
    const bool typing = !query.endsWith(u' ');
    // Per query word, its matching words and the weight of the word (its rarest match's).
    std::vector<std::vector<Match>> matches;
    std::vector<float> weight;
    float total = 0;
    for (size_t i = 0; i < ws.size(); ++i) {
        const bool last = i + 1 == ws.size();
        matches.push_back(matchWord(ws[i], ws[i].size() >= 3 || (last && typing)));
        float w = 0;
        for (const Match& m : matches.back())
            w = std::max(w, m_idf[m.token]);
        weight.push_back(w);
        total += w;
    }
    const quint32 queryStamp = ++m_stamp;
    std::vector<quint32> touched;
    for (size_t i = 0; i < ws.size(); ++i)
        accumulate(matches[i], weight[i], queryStamp, touched);
    const int n = int(ws.size());
    const int need = n <= 2 ? n : n - 1;
    std::vector<Hit> hits;
    for (quint32 e : touched) {
        if (m_hits[e] < need)
            continue;
        const float longer = float(std::clamp(int(m_wordCount[e]) - n, 0, 3));
        const float score = (total > 0 ? m_acc[e] / total : 0) + m_sizeBonus[e] + kKindBonus[m_kind[e]] - kLongerName * longer;
        hits.push_back({int(e), score});
    }
    const auto better = [](const Hit& a, const Hit& b) { return a.score != b.score ? a.score > b.score : a.entry < b.entry; };
    const size_t keep = std::min(hits.size(), size_t(std::max(limit, 0)));
    std::partial_sort(hits.begin(), hits.begin() + qsizetype(keep), hits.end(), better);
    return QVector<Hit>(hits.begin(), hits.begin() + qsizetype(keep));
}

} // namespace qel
