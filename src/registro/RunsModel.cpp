#include "registro/RunsModel.h"

#include "registro/Texts.h"

using namespace Qt::Literals::StringLiterals;

namespace registro {

RunsModel::RunsModel(Reader& reader, QObject* parent)
    : QAbstractTableModel(parent), m_reader(reader), m_headers(columnHeaders())
{
}

RunsModel::FirstPage RunsModel::readFirstPage(Reader& reader, const RunFilter& filter, bool counted)
{
    FirstPage page;
    page.rows = reader.runs(filter, kPage);
    page.error = reader.lastError();
    if (!counted)
        return page;
    page.total = reader.countRuns(filter);
    if (page.error.isEmpty())
        page.error = reader.lastError();
    return page;
}

void RunsModel::setTotal(const RunFilter& filter, int total)
{
    if (filter == m_filter)
        m_total = total;
}

std::optional<RunCursor> RunsModel::lastCursor() const
{
    if (m_rows.isEmpty())
        return std::nullopt;
    return RunCursor{m_rows.last().startedMs, m_rows.last().id};
}

void RunsModel::setFilter(const RunFilter& filter)
{
    show(filter, readFirstPage(m_reader, filter));
}

void RunsModel::show(const RunFilter& filter, const FirstPage& page)
{
    beginResetModel();
    m_filter = filter;
    m_rows = page.rows;
    m_total = page.total;
    m_error = page.error;
    m_more = m_error.isEmpty() && m_rows.size() == kPage;
    m_fetching = false;
    endResetModel();
}

int RunsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int RunsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(Column::Count); }

QVariant RunsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const RunRow& row = m_rows.at(index.row());
    const auto column = Column(index.column());
    switch (role) {
    case Qt::DisplayRole:
        // A name of any length is cut here, whole in the tooltip.
        return column == Column::Pupil || column == Column::Copy ? shortText(runText(row, column, m_reader.zone()))
                                                                 : runText(row, column, m_reader.zone());
    case Qt::AccessibleTextRole:
        // An empty cell reads as nothing at all.
        if (column == Column::Pupil && row.pupil.trimmed().isEmpty())
            return u"senza nome"_s;
        return {};
    case Qt::TextAlignmentRole:
        return isNumberColumn(column) ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole: {
        // Texts a column may cut are whole here; a run cut short says so too.
        QStringList tip;
        if (column != Column::Date && !isNumberColumn(column)) {
            if (const QString text = runText(row, column, m_reader.zone()); !text.isEmpty())
                tip << tipText(text);
        }
        if (!row.finished)
            tip << u"Esecuzione lasciata a metà: "_s % QString::number(row.operations) %
                       (row.operations == 1 ? u" operazione su 20"_s : u" operazioni su 20"_s);
        return tip.isEmpty() ? QVariant() : QVariant(tip.join(u'\n'));
    }
    case kRunIdRole:
        return row.id;
    default:
        return {};
    }
}

QVariant RunsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool RunsModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && m_more && !m_fetching; }

void RunsModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() || !m_more || m_fetching)
        return;
    const RunCursor after = *lastCursor();
    if (m_pageReader) {
        m_fetching = true;
        m_pageReader(m_filter, after);
        return;
    }
    const QList<RunRow> page = m_reader.runs(m_filter, kPage, after);
    append(page, m_reader.lastError());
}

void RunsModel::appendPage(const RunFilter& filter, const RunCursor& after, const QList<RunRow>& page,
                           const QString& error)
{
    if (!m_fetching || filter != m_filter || lastCursor() != after)
        return;
    m_fetching = false;
    append(page, error);
}

void RunsModel::append(const QList<RunRow>& page, const QString& error)
{
    m_error = error;
    m_more = m_error.isEmpty() && page.size() == kPage;
    if (page.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page.size() - 1));
    m_rows += page;
    endInsertRows();
}

}  // namespace registro
