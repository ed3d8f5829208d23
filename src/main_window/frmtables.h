#pragma once

#include <QDialog>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillet {

class GxtDocument;

// "Go to Table": every table of the document with its number of entries, in file order, and
// a box that filters the list as one types. Enter or a double-click opens the chosen table.
class frmTables : public QDialog
{
    Q_OBJECT

public:
    // `current` is the table shown now, chosen when the dialog opens.
    frmTables(const GxtDocument &document, int current, QWidget *owner = nullptr);

    QLineEdit *txtFilter() const { return m_filter; }
    QTreeWidget *lstTables() const { return m_list; }

    // The index in the document of the chosen table; -1 until one is chosen.
    int chosenTable() const { return m_chosen; }

    // Shows only the tables whose names hold `text`, whatever its case, and keeps a
    // shown table chosen.
    void filter(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void choose(QTreeWidgetItem *item);
    void moveSelection(int by);

    QLineEdit *m_filter;
    QTreeWidget *m_list;
    int m_chosen = -1;
};

} // namespace quillet
