#pragma once
#include <QString>
#include <QVariant>

// One criterion of a query: a column of the category's data table, a condition and a value.
class clsQueryItem {
public:
    // Conditions, numbered as they are stored.
    enum Condition {
        Contains = 1,
        DoesNotContain = 2,
        BeginsWith = 3,
        Equals = 4,
        DoesNotBeginWith = 5,
        DoesNotEqual = 6,
        IsGreaterThan = 7,
        IsLessThan = 8,
    };
    // How the value is compared, worked out from the column's field.
    enum ColumnKind { TextKind = 0, DateKind = 1, NumberKind = 2 };

    QString Column() const { return m_column; }
    void SetColumn(const QString& column) { m_column = column; }
    int Condition() const { return m_condition; }
    void SetCondition(int condition) { m_condition = condition; }
    QVariant Value() const { return m_value; }
    void SetValue(const QVariant& value) { m_value = value; }
    int QueryColumnType() const { return m_columnType; }
    void SetQueryColumnType(int kind) { m_columnType = kind; }
    QString Key() const { return m_key; }
    void SetKey(const QString& key) { m_key = key; }

    // The value as text, as it is stored and put into the SQL.
    QString ValueText() const;
    // "[" + column + "] " and the comparison of the condition for the column's kind.
    QString SQLEntry() const;
    // The stored record ("Field" LF column TAB "Condition" LF number TAB "Value" LF value) and a CR.
    QString WritableEntry() const;

    // The caption of a condition in the query builder ("Contains", ...); empty for other numbers.
    static QString ConditionCaption(int condition);

private:
    QString m_column;
    int m_condition = Contains;
    QVariant m_value;
    int m_columnType = TextKind;
    QString m_key;
};
