#include "gridcolumntitle.h"

#include "data/gridmodel.h"

GridColumnTitle::GridColumnTitle(GridModel* model, int column, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_column(column)
{}

QString GridColumnTitle::caption() const
{
    return m_model && m_column < m_model->columns().size() ? m_model->columns().at(m_column).title : QString();
}

void GridColumnTitle::setCaption(const QString& caption)
{
    if (m_model)
        m_model->setColumnTitle(m_column, caption);
}
