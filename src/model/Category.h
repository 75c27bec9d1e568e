#pragma once
#include <QString>

class Database;

// One category of the open catalog: a kind of record with its own data table ("ktbl" + ID). Only the
// name, the type and the title column are kept in memory; the rest is read from [Categories] when asked.
class Category {
public:
    enum Type { Ordinary = 0, People = 1, Relational = 2 };

    Category(int id, Database* db) : m_id(id), m_db(db) {}

    int ID() const { return m_id; }
    Database* database() const { return m_db; }
    QString DBName() const { return QStringLiteral("ktbl") + QString::number(m_id); }
    QString Name() const { return m_name; }
    int CType() const { return m_type; }
    QString TitleColumn() const { return m_titleColumn; }

    // Reads the cached values from [Categories].
    void LoadValues();

private:
    int m_id;
    Database* m_db;
    QString m_name;
    int m_type = Ordinary;
    QString m_titleColumn;
};
