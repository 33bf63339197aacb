#pragma once
#include <QMetaType>
#include <QString>
#include <QVector>

namespace qel {

// The host's string array, passed by reference to a lookup operation. It keeps the host's own
// bounds (an array dimensioned 1 to 5 has no index 0) and may not exist at all, or have more
// than one dimension; a lookup then copies only what fits.
class StrArray {
public:
    StrArray() = default;                       // an array that does not exist yet
    StrArray(int lower, int upper) { redim(lower, upper); }

    void redim(int lower, int upper)
    {
        m_exists = true;
        m_dims = 1;
        m_lower = lower;
        m_values = QVector<QString>(upper >= lower ? upper - lower + 1 : 0);
    }
    void setDimensions(int dims) { m_dims = dims; }   // a host array of another shape
    void erase() { m_exists = false; m_values.clear(); }

    bool exists() const { return m_exists; }
    int dimensions() const { return m_exists ? m_dims : 0; }
    int lowerBound() const { return m_lower; }
    int upperBound() const { return m_lower + int(m_values.size()) - 1; }
    bool contains(int index) const
    {
        return m_exists && m_dims == 1 && index >= m_lower && index <= upperBound();
    }
    QString at(int index) const { return contains(index) ? m_values[index - m_lower] : QString(); }
    bool set(int index, const QString& value)
    {
        if (!contains(index))
            return false;
        m_values[index - m_lower] = value;
        return true;
    }

private:
    bool m_exists = false;
    int m_dims = 0;
    int m_lower = 0;
    QVector<QString> m_values;
};

} // namespace qel

Q_DECLARE_METATYPE(qel::StrArray*)
