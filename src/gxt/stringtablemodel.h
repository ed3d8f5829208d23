#pragma once

#include "displayorder.h"
#include "entryrules.h"
#include "tablecomparison.h"

#include <QAbstractTableModel>

#include <optional>

namespace quillet {

class StringTable;

// Shows one StringTable to Qt's views without copying it: two columns, "Name" and "Value",
// one row per entry in file order, each decoded through the rules (numbering, key names) as
// it is shown. With a reference beside it, a third column, "Reference", shows the
// reference's text of each entry, and the reference's entries the table lacks follow the
// table's own rows as rows of their own ("missing" rows, of no entry: their identity is 0). Sorting is a proxy's (StringListProxy); this model keeps what a sort needs to
// compare rows without decoding every text at every comparison, and keeps it up to date
// with every change the table announces before the views hear of it.
class StringTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn = 0, ValueColumn = 1, ReferenceColumn = 2 };
    enum Role {
        EntryIdRole = Qt::UserRole + 1,
        // int(ListStatus); a missing row is ListStatus::Missing.
        StatusRole,
        // QStringList: what the text-code checks find in the entry's text.
        ProblemsRole,
        // bool: a row of the reference's that the table has no entry for.
        MissingRole,
    };


    explicit StringTableModel(QObject *parent = nullptr);
    ~StringTableModel() override;

    StringTable *table() const { return m_table; }
    // Shows another table (or none): a pointer change, not a copy.
    void setTable(StringTable *table);
    // How keys and texts read from now on; what the rules refer to must outlive them here.
    void setRules(const EntryRules &rules);
    const EntryRules *rules() const { return m_rules ? &*m_rules : nullptr; }
    // Shows every table beside its table in `reference` from now on; null shows none. The
    // reference must outlive it here.
    void setReference(const TranslationStatus *reference);
    const TranslationStatus *reference() const { return m_reference; }
    bool hasReference() const { return m_comparison.hasReference(); }
    const TableComparison &comparison() const { return m_comparison; }
    // Rows from tableRows() on are missing rows.
    int tableRows() const;
    bool isMissingRow(int row) const { return row >= tableRows() && row < rowCount(); }
    // The reference's entry a missing row shows; null for any other row.
    const MissingEntry *missingEntry(int row) const;
    ListStatus status(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The text of a cell as the user reads it.
    QString text(int row, int column) const;
    EntryId idAt(int row) const;
    // The row of the entry of that identity; -1 when the table has none.
    int rowOf(EntryId id) const;
    // compareForDisplay of two rows' texts in a column.
    int compareRows(int a, int b, int column) const;

private:
    void connectTable();
    void dropKeys();
    void compareAnew();
    // The missing rows follow what the table now lacks.
    void updateMissingRows();
    DisplayKeys &keys(int column) const;

    StringTable *m_table = nullptr;
    std::optional<EntryRules> m_rules;
    mutable DisplayKeys m_keys[2];
    const TranslationStatus *m_reference = nullptr;
    TableComparison m_comparison;
    // The missing rows the model has announced, which the comparison may have moved past.
    int m_missingRows = 0;
};

} // namespace quillet
