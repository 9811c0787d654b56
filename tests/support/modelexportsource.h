#pragma once
// The rows of a Qt item model as an export source, for the writers' tests: rows built in a
// QStandardItemModel stand in for a table read from the server.

#include "data/exportsource.h"

#include <QAbstractItemModel>

/// The rows of a Qt item model (no parent index): titles from its horizontal header, cells from
/// role as typed values.
class ModelExportSource : public ExportSource
{
public:
    explicit ModelExportSource(const QAbstractItemModel* model, int role = Qt::DisplayRole)
        : m_model(model)
        , m_role(role)
    {}
    int columnCount() const override { return m_model->columnCount(); }
    QString columnTitle(int column) const override
    {
        return m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    qint64 rowCount() const override { return m_model->rowCount(); }
    void cell(qint64 row, int column, ExportCell& out) const override
    {
        out.setVariant(m_model->data(m_model->index(int(row), column), m_role));
    }

private:
    const QAbstractItemModel* m_model;
    int m_role;
};
