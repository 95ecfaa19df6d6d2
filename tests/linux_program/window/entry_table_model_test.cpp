#include "entry_table_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {

Entry named(const char* name, const char* notes = "")
{
    Entry entry;
    entry[EntryField::Name] = name;
    entry[EntryField::Notes] = notes;
    return entry;
}

// Changes the table as the window's commands do, telling the model before and after.
void change(EntryTableModel& model, RowChange::Kind kind, std::size_t first, std::size_t count,
            const std::function<void()>& changeTable)
{
    const RowChange rows{kind, first, count};
    model.beginChange(rows);
    changeTable();
    model.endChange(rows);
}

void insertFirst(EntryTableModel& model, EntryTable& table, const Entry& entry)
{
    change(model, RowChange::Kind::Inserted, 0, 1, [&] { table.insertFirst(entry); });
}

QString cell(const EntryTableModel& model, int row, EntryField column)
{
    return model.index(row, static_cast<int>(column)).data().toString();
}

}  // namespace

class EntryTableModelTest : public QObject {
    Q_OBJECT

private slots:
    void changesKeepTheModelConsistent();
    void sortKeepsPositions();
    void cellsAreOneLineAndLeftAligned();
};

void EntryTableModelTest::changesKeepTheModelConsistent()
{
    EntryTable table;
    EntryTableModel model(table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    insertFirst(model, table, named("a"));
    insertFirst(model, table, named("b"));
    insertFirst(model, table, named("c"));
    change(model, RowChange::Kind::Changed, 1, 1, [&] { table.setRow(1, named("B")); });
    change(model, RowChange::Kind::Removed, 0, 1, [&] { table.deleteRow(0); });

    QCOMPARE(inserted.count(), 3);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(reset.count(), 0);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(cell(model, 0, EntryField::Name), QStringLiteral("B"));
    QCOMPARE(cell(model, 1, EntryField::Name), QStringLiteral("a"));
    QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("URL"));
}

void EntryTableModelTest::sortKeepsPositions()
{
    EntryTable table;
    EntryTableModel model(table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const char* name : {"c", "a", "b"})
        insertFirst(model, table, named(name));  // rows b, a, c
    const QPersistentModelIndex second = model.index(1, 0);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy moved(&model, &QAbstractItemModel::layoutChanged);

    change(model, RowChange::Kind::Changed, 0, 3, [&] { table.sortByColumn(EntryField::Name); });

    QCOMPARE(changed.count(), 1);
    QCOMPARE(moved.count(), 0);
    QCOMPARE(second.row(), 1);
    QCOMPARE(cell(model, 0, EntryField::Name), QStringLiteral("a"));
    QCOMPARE(cell(model, 2, EntryField::Name), QStringLiteral("c"));
}

void EntryTableModelTest::cellsAreOneLineAndLeftAligned()
{
    EntryTable table;
    EntryTableModel model(table);
    insertFirst(model, table, named("n", "one\r\ntwo\nthree"));
    QCOMPARE(cell(model, 0, EntryField::Notes), QStringLiteral("one\u21b5two\u21b5three"));
    const int alignment = model.index(0, 0).data(Qt::TextAlignmentRole).toInt();
    QCOMPARE(alignment & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));
}

QTEST_MAIN(EntryTableModelTest)
#include "entry_table_model_test.moc"
