#include "registro/RunsModel.h"

#include "registro/Texts.h"

using namespace Qt::Literals::StringLiterals;

namespace registro {

RunsModel::RunsModel(Reader& reader, QObject* parent)
    : QAbstractTableModel(parent), m_reader(reader), m_headers(columnHeaders())
{
}

QList<RunRow> RunsModel::readPage()
{
    std::optional<RunCursor> after;
    if (!m_rows.isEmpty())
        after = RunCursor{m_rows.last().startedMs, m_rows.last().id};
    QList<RunRow> page = m_reader.runs(m_filter, kPage, after);
    m_error = m_reader.lastError();
    m_more = m_error.isEmpty() && page.size() == kPage;
    return page;
}

void RunsModel::setFilter(const RunFilter& filter)
{
    beginResetModel();
    m_filter = filter;
    m_rows.clear();
    m_rows = readPage();
    const QString pageError = m_error;
    m_total = m_reader.countRuns(m_filter);
    m_error = pageError.isEmpty() ? m_reader.lastError() : pageError;
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
        return runText(row, column, m_reader.zone());
    case Qt::AccessibleTextRole:
        // An empty cell reads as nothing at all.
        if (column == Column::Pupil && row.pupil.trimmed().isEmpty())
            return u"senza nome"_s;
        return {};
    case Qt::TextAlignmentRole:
        return isNumberColumn(column) ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        if (column == Column::Objective || column == Column::Level)
            return runText(row, column, m_reader.zone());
        if (!row.finished)
            return QString(u"Esecuzione lasciata a metà: "_s % QString::number(row.operations) % u" operazioni su 20"_s);
        return {};
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

bool RunsModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && m_more; }

void RunsModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() || !m_more)
        return;
    const QList<RunRow> page = readPage();
    if (page.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page.size() - 1));
    m_rows += page;
    endInsertRows();
}

}  // namespace registro
