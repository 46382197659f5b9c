#pragma once

#include <QString>
#include <QTableWidget>
#include <vector>

namespace korvel {

// A grid of text cells addressed by (row, column) in which row 0 is the header row and rows 1..
// are data rows; the header row is the table's horizontal header. Cells are filled by code; the
// user selects whole rows but does not type into cells.
class EditableGrid final : public QTableWidget {
    Q_OBJECT
public:
    explicit EditableGrid(QWidget* parent = nullptr);

    // Rows, the header row included (always at least 1).
    int Rows() const;
    // Sets the row count, header included; values below 1 keep only the header. New rows are empty.
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);

    // The cell's text; "" outside the grid. Row 0 is the header.
    QString TextMatrix(int row, int col) const;
    // Sets a cell's text; ignored outside the grid.
    void setTextMatrix(int row, int col, const QString& text);

    // Column width in pixels; 0 for a hidden column.
    int ColWidth(int col) const;
    // Width in pixels; 0 (or less) hides the column, a positive width shows it again.
    void setColWidth(int col, int width);

    // Lays the grid out from a format string: one segment per column separated by "|"; a leading
    // "<" aligns the column left, ">" right, "^" centres it; the rest is the header text, whose
    // trailing blanks only widen the column. Sets the column count; the data rows stay.
    void setFormatString(const QString& format);

    // The current row: 0 when no data row is current (the header), else 1..Rows()-1.
    int Row() const;
    // Makes a data row current; 0 or an out-of-range row leaves no data row current.
    void setRow(int row);

    // Removes a data row; the header row (0) and rows outside the grid are left alone.
    void RemoveItem(int row);

private:
    QTableWidgetItem* headerItem(int col) const;
    Qt::Alignment alignmentOf(int col) const;
    std::vector<Qt::Alignment> m_alignment;
};

} // namespace korvel
