#pragma once

#include <QAbstractTableModel>

namespace quillet {

class StringTable;

// Shows a StringTable to Qt's views without copying it: two columns, "Name" and "Value",
// one row per entry, following every change the table announces.
class StringTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn = 0, ValueColumn = 1 };

    explicit StringTableModel(StringTable *table, QObject *parent = nullptr);

    StringTable *table() const { return m_table; }
    // Shows another table: a pointer change, not a copy.
    void setTable(StringTable *table);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void connectTable();
    void onReordered(const QList<int> &newRowOfOld);

    StringTable *m_table;
};

} // namespace quillet
