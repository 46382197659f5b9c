#include "dialogs/editablegrid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <memory>

namespace korvel {

namespace {
constexpr Qt::Alignment DefaultAlignment = Qt::AlignLeft | Qt::AlignVCenter;
constexpr int CellPadding = 12;
} // namespace

EditableGrid::EditableGrid(QWidget* parent) : QTableWidget(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setHighlightSections(false);
    setCols(1);
}

int EditableGrid::Rows() const
{
    return rowCount() + 1;
}

void EditableGrid::setRows(int rows)
{
    setRowCount(rows > 1 ? rows - 1 : 0);
}

int EditableGrid::Cols() const
{
    return columnCount();
}

void EditableGrid::setCols(int cols)
{
    setColumnCount(cols > 0 ? cols : 0);
    m_alignment.resize(static_cast<size_t>(columnCount()), DefaultAlignment);
}

QTableWidgetItem* EditableGrid::headerItem(int col) const
{
    return horizontalHeaderItem(col);
}

Qt::Alignment EditableGrid::alignmentOf(int col) const
{
    const auto index = static_cast<size_t>(col);
    return col >= 0 && index < m_alignment.size() ? m_alignment[index] : DefaultAlignment;
}

QString EditableGrid::TextMatrix(int row, int col) const
{
    if (col < 0 || col >= columnCount() || row < 0 || row >= Rows())
        return {};
    const QTableWidgetItem* cell = row == 0 ? headerItem(col) : item(row - 1, col);
    return cell != nullptr ? cell->text() : QString();
}

void EditableGrid::setTextMatrix(int row, int col, const QString& text)
{
    if (col < 0 || col >= columnCount() || row < 0 || row >= Rows())
        return;
    if (row == 0) {
        if (QTableWidgetItem* header = headerItem(col)) {
            header->setText(text);
        } else {
            auto created = std::make_unique<QTableWidgetItem>(text);
            created->setTextAlignment(alignmentOf(col));
            setHorizontalHeaderItem(col, created.release()); // the table takes ownership
        }
        return;
    }
    if (QTableWidgetItem* cell = item(row - 1, col)) {
        cell->setText(text);
        return;
    }
    auto created = std::make_unique<QTableWidgetItem>(text);
    created->setTextAlignment(alignmentOf(col));
    setItem(row - 1, col, created.release()); // the table takes ownership
}

int EditableGrid::ColWidth(int col) const
{
    if (col < 0 || col >= columnCount() || isColumnHidden(col))
        return 0;
    return columnWidth(col);
}

void EditableGrid::setColWidth(int col, int width)
{
    if (col < 0 || col >= columnCount())
        return;
    if (width <= 0) {
        setColumnHidden(col, true);
        return;
    }
    setColumnHidden(col, false);
    setColumnWidth(col, width);
}

void EditableGrid::setFormatString(const QString& format)
{
    const QStringList segments = format.split(u'|');
    setCols(static_cast<int>(segments.size()));
    const QFontMetrics metrics(horizontalHeader()->font());
    for (int col = 0; col < segments.size(); ++col) {
        QString text = segments.at(col);
        Qt::Alignment alignment = DefaultAlignment;
        if (text.startsWith(u'<')) {
            text.remove(0, 1);
        } else if (text.startsWith(u'>')) {
            alignment = Qt::AlignRight | Qt::AlignVCenter;
            text.remove(0, 1);
        } else if (text.startsWith(u'^')) {
            alignment = Qt::AlignHCenter | Qt::AlignVCenter;
            text.remove(0, 1);
        }
        m_alignment.at(static_cast<size_t>(col)) = alignment;
        setTextMatrix(0, col, text.trimmed());
        headerItem(col)->setTextAlignment(alignment);
        for (int row = 0; row < rowCount(); ++row) {
            if (QTableWidgetItem* cell = item(row, col))
                cell->setTextAlignment(alignment);
        }
        setColWidth(col, metrics.horizontalAdvance(text) + CellPadding);
    }
}

int EditableGrid::Row() const
{
    const int current = currentRow();
    return current >= 0 ? current + 1 : 0;
}

void EditableGrid::setRow(int row)
{
    if (row >= 1 && row < Rows()) {
        setCurrentCell(row - 1, 0);
        return;
    }
    setCurrentCell(-1, -1);
    clearSelection();
}

void EditableGrid::RemoveItem(int row)
{
    if (row >= 1 && row < Rows())
        removeRow(row - 1);
}

} // namespace korvel
