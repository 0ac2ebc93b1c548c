#pragma once

#include "registro/Reader.h"

#include <QAbstractTableModel>
#include <QList>

#include <functional>
#include <optional>

namespace registro {

// The runs a filter lets through, newest first. Rows are read a page at a
// time as the view scrolls, so a journal of any size opens at once.
class RunsModel final : public QAbstractTableModel {
public:
    static constexpr int kPage = 100;
    // The run's id, for the rows of a view.
    static constexpr int kRunIdRole = Qt::UserRole + 1;

    // A filter's first page and its count, read wherever the reading is done.
    // Without the count (counted false) the page is read in a few
    // milliseconds of any journal; the count can follow through setTotal.
    struct FirstPage {
        QList<RunRow> rows;
        std::optional<int> total;
        QString error;
    };
    static FirstPage readFirstPage(Reader& reader, const RunFilter& filter, bool counted = true);

    explicit RunsModel(Reader& reader, QObject* parent = nullptr);

    // Reads the first page again, and the count, under this filter.
    void setFilter(const RunFilter& filter);
    void reload() { setFilter(m_filter); }
    // Shows a first page read elsewhere.
    void show(const RunFilter& filter, const FirstPage& page);
    // With a page reader, the pages after the first are asked of it instead of
    // read here, and handed back through appendPage; one at a time.
    void setPageReader(std::function<void(const RunFilter& filter, const RunCursor& after)> pageReader)
    {
        m_pageReader = std::move(pageReader);
    }
    // A page that a page reader read; dropped when the table moved on meanwhile.
    void appendPage(const RunFilter& filter, const RunCursor& after, const QList<RunRow>& page, const QString& error);
    const RunFilter& filter() const { return m_filter; }
    // All the runs the filter lets through, also those not read yet; 0 until
    // counted.
    int total() const { return m_total.value_or(0); }
    bool counted() const { return m_total.has_value(); }
    // The count of a filter, read after its first page; dropped when the
    // table moved on to another filter meanwhile.
    void setTotal(const RunFilter& filter, int total);
    const RunRow& run(int row) const { return m_rows.at(row); }
    // Why the last read failed; empty when it worked.
    QString error() const { return m_error; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    std::optional<RunCursor> lastCursor() const;
    void append(const QList<RunRow>& page, const QString& error);

    Reader& m_reader;
    std::function<void(const RunFilter&, const RunCursor&)> m_pageReader;
    bool m_fetching = false;
    RunFilter m_filter;
    QList<RunRow> m_rows;
    QStringList m_headers;
    bool m_more = false;
    std::optional<int> m_total;
    QString m_error;
};

}  // namespace registro
