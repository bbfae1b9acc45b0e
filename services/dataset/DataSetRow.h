#pragma once

// The values of one row as a dataset keeps them: one block of memory per row instead of a list
// of QVariants (32 bytes a value, plus a block per text). Internal to the dataset.

#include "DataPacket.h"

#include <memory>

namespace zel {

class PackedRow
{
public:
    PackedRow() = default;
    explicit PackedRow(const Row& row); // values in their stored form (FieldValue.h)
    PackedRow(const PackedRow& other);
    PackedRow& operator=(const PackedRow& other);
    PackedRow(PackedRow&&) noexcept = default;
    PackedRow& operator=(PackedRow&&) noexcept = default;

    bool isEmpty() const { return !m_words; }
    int size() const;
    QVariant operator[](int i) const; // null when i is out of range
    Row toRow() const;

    // Order of the values at `i` of two rows, as fieldvalue::compare orders them, read in place.
    int compareAt(int i, const PackedRow& other) const;
    // The text at `i` read in place, when the value there is a text.
    bool isText(int i) const { return kind(i) == Text; }
    QStringView textAt(int i) const;

private:
    enum Kind : quint8 { Null, Text, Integer, Float, Date, DateTime, Boolean, Other };
    Kind kind(int i) const;
    quint64 slot(int i) const;

    // [count][kinds, a byte each, in whole words][one word per value][UTF-16 text of all texts]
    std::unique_ptr<quint64[]> m_words;
    qsizetype m_wordCount = 0;
};

} // namespace zel
