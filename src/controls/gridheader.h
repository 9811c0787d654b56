#pragma once
// The title row of a grid, with the filter row under it while that is shown: one box per column,
// as wide as its column and following it when it is moved, resized, hidden or scrolled. Titles can
// be dragged to reorder the columns. Esc in a box clears it; the boxes handle their own keys (the
// window's Enter rule and Exit key do not see them).

#include <QHeaderView>
#include <QList>

class QLineEdit;

class GridHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit GridHeader(QWidget* parent = nullptr);

    bool filterRowShown() const { return m_filterRowShown; }
    /// Shows or hides the filter row; hiding it clears every box.
    void setFilterRowShown(bool shown);
    /// The box of a column (logical index); null while the row has never been shown.
    QLineEdit* filterBox(int logical) const;
    /// The boxes' texts by column (logical index); empty texts for a hidden row.
    QStringList filterTexts() const;
    /// Empties the box of a column (a hidden column filters nothing).
    void clearFilterBox(int logical);

    QSize sizeHint() const override;

signals:
    /// A box's text changed (typed, cleared by Esc, or every box by hiding the row).
    void filterEdited();
    /// The row was shown or hidden.
    void filterRowToggled(bool shown);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void makeBoxes();
    void placeBoxes();
    int boxHeight() const;

    bool m_filterRowShown = false;
    QList<QLineEdit*> m_boxes;
};
