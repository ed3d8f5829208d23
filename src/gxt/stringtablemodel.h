#pragma once

#include "displayorder.h"
#include "entryrules.h"

#include <QAbstractTableModel>

#include <optional>

namespace quillet {

class StringTable;

// Shows one StringTable to Qt's views without copying it: two columns, "Name" and "Value",
// one row per entry in file order, each decoded through the rules (numbering, key names) as
// it is shown. Sorting is a proxy's (StringListProxy); this model keeps what a sort needs to
// compare rows without decoding every text at every comparison, and keeps it up to date
// with every change the table announces before the views hear of it.
class StringTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn = 0, ValueColumn = 1 };
    enum Role { EntryIdRole = Qt::UserRole + 1 };

    explicit StringTableModel(QObject *parent = nullptr);
    ~StringTableModel() override;

    StringTable *table() const { return m_table; }
    // Shows another table (or none): a pointer change, not a copy.
    void setTable(StringTable *table);
    // How keys and texts read from now on; what the rules refer to must outlive them here.
    void setRules(const EntryRules &rules);
    const EntryRules *rules() const { return m_rules ? &*m_rules : nullptr; }

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
    DisplayKeys &keys(int column) const;

    StringTable *m_table = nullptr;
    std::optional<EntryRules> m_rules;
    mutable DisplayKeys m_keys[2];
};

} // namespace quillet
