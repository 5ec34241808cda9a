#pragma once

#include "ui/details/DetailRowText.h"

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace orvane {

class FittedLabel;

// Detail rows one under another: each a label 110 pixels wide in the secondary colour, elided with
// its whole text in its tooltip when longer (an options.txt key), and a selectable value that wraps
// rather than being cut, 18 pixels apart, in 12-pixel monospaced text.
class DetailRowList final : public QWidget {
    Q_OBJECT

public:
    static constexpr int labelWidth = 110;
    static constexpr int labelSpacing = 18;

    DetailRowList(bool increasedContrast, int rowSpacing, QWidget* parent);

    // Shows exactly these rows, reusing the row widgets it has.
    void setRows(const DetailRowTexts& rows);
    // What the rows show now, read back from their labels.
    DetailRowTexts shownRows() const;
    // The value label of row `index`.
    QLabel* valueLabel(int index) const;

private:
    struct Row {
        QWidget* widget;
        FittedLabel* label;
        QLabel* value;
    };

    bool m_increasedContrast;
    QVBoxLayout* m_layout;
    std::vector<Row> m_rows;
};

} // namespace orvane
