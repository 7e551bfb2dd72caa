#include "archive/entry_width_delegate.h"

#include <QElapsedTimer>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>

namespace navlor {

namespace {

// A list told its items are uniform sizes them all as its last one. That one gets the width
// of the widest entry here, so the list scrolls to show long names whole, as it did sizing
// every entry; each entry is measured once, on the first layout that finds it. Measuring
// costs about ten microseconds an entry: a layout that finds many new entries measures for a
// slice of time and leaves the rest to slices between the window's messages, the list laid
// out again whenever the widest grows.
class WidestEntryDelegate : public QStyledItemDelegate
{
public:
    WidestEntryDelegate(QListWidget* list, std::shared_ptr<EntryWidths> widths)
        : QStyledItemDelegate(list), m_widths(std::move(widths))
    {
        const QAbstractItemModel* model = list->model();
        const auto forget = [this] { m_measuredRows = 0; };
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this, forget](const QModelIndex&, int first, int) {
                    if (first < m_measuredRows)
                        forget();
                });
        connect(model, &QAbstractItemModel::rowsRemoved, this, forget);
        connect(model, &QAbstractItemModel::rowsMoved, this, forget);
        connect(model, &QAbstractItemModel::modelReset, this, forget);
        connect(model, &QAbstractItemModel::layoutChanged, this, forget);
        connect(model, &QAbstractItemModel::dataChanged, this, forget);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize own = QStyledItemDelegate::sizeHint(option, index);
        if (option.font != m_widths->font) {
            m_widths->font = option.font;
            m_widths->widths.clear();
        }
        if (option.font != m_font) {
            m_font = option.font;
            m_measuredRows = 0;
        }
        m_option = option;
        const int rows = index.model()->rowCount(index.parent());
        if (m_measuredRows == 0)
            m_widest = 0;
        if (rows - m_measuredRows <= kAtOnceRows)
            measure(index.model(), index.parent(), rows, -1);
        else
            measureFor(index.model(), index.parent());
        return {std::max(own.width(), m_widest), own.height()};
    }

private:
    // Rows at most measured in one layout, however long it takes.
    static constexpr int kAtOnceRows = 4096;
    static constexpr qint64 kSliceMs = 10;

    // Rows from the first unmeasured up to `rows`, for `sliceMs` at most (-1: all of them).
    void measure(const QAbstractItemModel* model, const QModelIndex& parent, int rows,
                 qint64 sliceMs) const
    {
        QElapsedTimer slice;
        slice.start();
        int row = m_measuredRows;
        for (; row < rows; ++row) {
            m_widest = std::max(m_widest, width(m_option, model->index(row, 0, parent)));
            // Checked every few rows: the clock costs about as much as a measurement.
            if (sliceMs >= 0 && row % 64 == 63 && slice.hasExpired(sliceMs)) {
                ++row;
                break;
            }
        }
        m_measuredRows = row;
    }

    // A slice of the rows still to measure; the rest are left to a later slice.
    void measureFor(const QAbstractItemModel* model, const QModelIndex& parent) const
    {
        measure(model, parent, model->rowCount(parent), kSliceMs);
        if (m_measuredRows < model->rowCount(parent) && !m_pending) {
            m_pending = true;
            QTimer::singleShot(0, this, [this, model, parent = QPersistentModelIndex(parent)] {
                m_pending = false;
                const int rows = model->rowCount(parent);
                if (m_measuredRows == 0 || rows == 0)
                    return; // laid out anew: the next layout starts over
                const int widest = m_widest;
                measureFor(model, parent);
                // The list sizes its entries again only when told.
                if (m_widest > widest)
                    emit const_cast<WidestEntryDelegate*>(this)->sizeHintChanged(
                        model->index(rows - 1, 0, parent));
            });
        }
    }

    int width(const QStyleOptionViewItem& option, const QModelIndex& index) const
    {
        const QString text = index.data().toString();
        auto found = m_widths->widths.constFind(text);
        if (found == m_widths->widths.cend())
            found =
                m_widths->widths.insert(text, QStyledItemDelegate::sizeHint(option, index).width());
        return *found;
    }

    std::shared_ptr<EntryWidths> m_widths;
    mutable QFont m_font;
    mutable QStyleOptionViewItem m_option; // of the last layout, for the later slices
    mutable int m_measuredRows = 0;        // rows from the first whose widths are in m_widest
    mutable int m_widest = 0;
    mutable bool m_pending = false; // a later slice is due
};

} // namespace

void useWidestEntryDelegate(QListWidget* list, std::shared_ptr<EntryWidths> widths)
{
    list->setItemDelegate(new WidestEntryDelegate(list, std::move(widths)));
}

} // namespace navlor
