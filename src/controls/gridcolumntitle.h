#pragma once
// A grid column as the translation tables reach it: "Columns[i].Title.Caption" is the title of the
// grid's column i.

#include <QObject>
#include <QPointer>

class GridModel;

class GridColumnTitle : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject* Title READ title)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)

public:
    GridColumnTitle(GridModel* model, int column, QObject* parent);
    /// The column is its own title object: Title.Caption and Caption are the same text.
    QObject* title() { return this; }
    QString caption() const;
    void setCaption(const QString& caption);

private:
    QPointer<GridModel> m_model;
    int m_column;
};
