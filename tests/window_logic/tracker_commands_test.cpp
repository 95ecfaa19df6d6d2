#include "tracker_commands.h"

#include "data_file.h"
#include "data_file_load.h"
#include "field_text.h"
#include "store_test_support.h"
#include "table_client.h"
#include "temporary_directory.h"
#include "web_address.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>

namespace {

namespace fs = std::filesystem;

// Counts a text's characters as its width, at a scale.
class CharacterCount final : public TextMeasure {
public:
    double textWidth(std::u16string_view text) const override
    {
        return static_cast<double>(text.size()) * scale;
    }
    double characterWidth(char16_t) const override { return scale; }
    int cellPadding() const override { return 0; }

    double scale = 1;
};

// A window that records what the commands do with it, its fields holding text as typed.
class FakeWindow final : public TrackerWindow {
public:
    std::u16string fieldText(EntryField field) const override { return fields[index(field)]; }
    void setFieldText(EntryField field, std::string_view bytes, bool) override
    {
        fields[index(field)] = editText(bytes);
    }
    void setCount(std::size_t shown) override { count = shown; }
    Answer ask(std::string_view question, MessageIcon, Answer defaultAnswer) override
    {
        calls.push_back("ask " + std::string(question)
                        + (defaultAnswer == Answer::Yes ? " [Yes]" : " [No]"));
        const Answer answer = answers.empty() ? Answer::No : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
    void showMessage(std::string_view caption, std::string_view text, MessageIcon) override
    {
        calls.push_back("message " + std::string(caption) + ": " + std::string(text));
    }
    void showTable() override { calls.emplace_back("show table"); }
    void rowsChanging(const RowChange& change) override { calls.push_back("before " + of(change)); }
    void rowsChanged(const RowChange& change) override { calls.push_back("after " + of(change)); }
    void fitColumns(const std::array<int, kEntryFieldCount>& widths) override
    {
        calls.push_back("fit " + std::to_string(widths[0]));
    }
    void suspendTableDrawing() override { calls.emplace_back("suspend"); }
    void resumeTableDrawing() override { calls.emplace_back("resume"); }
    void endDialog(DialogResult result) override
    {
        calls.emplace_back(result == DialogResult::Ok ? "end Ok" : "end Cancel");
    }
    void openWebAddress(const std::string& address) override { calls.push_back("open " + address); }

    std::array<std::u16string, kEntryFieldCount> fields;
    std::size_t count = 0;
    std::deque<Answer> answers;
    std::vector<std::string> calls;

private:
    static std::size_t index(EntryField field) { return static_cast<std::size_t>(field); }
    static std::string of(const RowChange& change)
    {
        static constexpr const char* kKinds[] = {"inserted", "removed", "changed"};
        return std::string(kKinds[static_cast<int>(change.kind)]) + ' '
            + std::to_string(change.first) + '+' + std::to_string(change.count);
    }
};

// A file of the records in the order given; a load shows them in reverse.
void storeInFile(const fs::path& path, const std::vector<Entry>& records)
{
    EntryTable table;
    for (auto record = records.rbegin(); record != records.rend(); ++record)
        table.insertFirst(*record);
    DataFile file(table, path);
    ASSERT_TRUE(file.save());
}

struct Event {
    const char* name;
    std::vector<Entry> rows;             // the table at the start, row 0 first
    Entry typed;                         // what the user typed into the form's fields
    std::optional<std::size_t> mark;     // the row the user selected
    std::function<void(TrackerCommands&)> event;
    std::vector<Answer> answers;         // to the questions, in turn
    std::vector<Entry> rowsAfter;
    Entry formAfter;                     // what the fields show afterwards
    std::vector<std::string> calls;      // on the window, after it was initialised
    std::function<void(const fs::path&)> meanwhile = {};  // done to the file before the event
};

void PrintTo(const Event& event, std::ostream* out)
{
    *out << event.name;
}

const Entry kA = entryOf("A", "a");
const Entry kB = entryOf("B", "b");
const Entry kC = entryOf("Carol", "c");
const std::string kDuplicate =
    "ask This entry is already in the list.\r\nDo you really want to add this item? [Yes]";

class TrackerCommandsTest : public ::testing::TestWithParam<Event> {};

TEST_P(TrackerCommandsTest, EventGivesTableFormAndCalls)
{
    const Event& step = GetParam();
    TemporaryDirectory directory;
    const fs::path path = directory.path() / kDataFileName;
    storeInFile(path, {step.rows.rbegin(), step.rows.rend()});
    DataFileLoad load(path);
    FakeWindow window;
    CharacterCount measure;
    TrackerCommands commands(load, window, measure);
    commands.initialise();
    ASSERT_EQ(window.calls, (std::vector<std::string>{"show table", "fit " + std::to_string(
        step.rows.empty() ? 0 : step.rows.back()[EntryField::Name].size())}))
        << "rows fitted once loaded";
    window.calls.clear();

    if (step.mark)
        commands.rowSelected(*step.mark);
    for (std::size_t field = 0; field < kEntryFieldCount; ++field) {
        const std::u16string text = editText(step.typed.texts[field]);
        if (text != window.fields[field]) {
            window.fields[field] = text;
            commands.fieldEdited(static_cast<EntryField>(field));
        }
    }
    if (step.meanwhile)
        step.meanwhile(path);
    window.answers.assign(step.answers.begin(), step.answers.end());
    step.event(commands);

    EXPECT_EQ(window.calls, step.calls);
    EXPECT_TRUE(window.answers.empty()) << "questions left unasked";
    EXPECT_EQ(rowsOf(load.table()), step.rowsAfter);
    Entry shown;
    for (std::size_t field = 0; field < kEntryFieldCount; ++field)
        shown.texts[field] = fieldBytes(static_cast<EntryField>(field), window.fields[field], "");
    EXPECT_EQ(shown, step.formAfter);
    EXPECT_EQ(window.count, load.table().count());
}

const auto kAdd = [](TrackerCommands& c) { c.add(); };
const auto kUpdate = [](TrackerCommands& c) { c.update(); };
const auto kDelete = [](TrackerCommands& c) { c.deleteEntry(); };
const auto kSave = [](TrackerCommands& c) { c.save(); };
const auto kQuit = [](TrackerCommands& c) { c.quit(); };

INSTANTIATE_TEST_SUITE_P(Events, TrackerCommandsTest, ::testing::Values(
    Event{"AddWithoutANameOnlyShowsTheForm", {kA}, entryOf("", "u"), {}, kAdd, {},
          {kA}, entryOf("", "u"), {}},
    Event{"AddPutsTheEntryFirst", {kA}, kC, {}, kAdd, {}, {kC, kA}, {},
          {"before inserted 0+1", "after inserted 0+1", "fit 5"}},
    Event{"DuplicateAddedOnlyWhenAsked", {kA}, kA, {}, kAdd, {Answer::No}, {kA}, kA,
          {kDuplicate}},
    Event{"DuplicateAddedOnYes", {kA}, kA, {}, kAdd, {Answer::Yes}, {kA, kA}, {},
          {kDuplicate, "before inserted 0+1", "after inserted 0+1", "fit 1"}},
    Event{"UpdateReplacesTheMarkedRow", {kA, kB}, kC, 1, kUpdate, {}, {kA, kC}, {},
          {"before changed 1+1", "after changed 1+1", "fit 5"}},
    Event{"UpdateWithoutAMarkOnlyClears", {kA}, kC, {}, kUpdate, {}, {kA}, {}, {"fit 1"}},
    Event{"DeleteRemovesTheMarkedRow", {kA, kC}, {}, 1, kDelete, {}, {kA}, {},
          {"before removed 1+1", "after removed 1+1"}},
    Event{"DeleteWithoutAMark", {kA}, {}, {}, kDelete, {}, {kA}, {}, {}},
    Event{"RowClickLoadsTheMarkedRow", {kA, kB}, {}, 1,
          [](TrackerCommands& c) { c.rowClick(); }, {}, {kA, kB}, kB, {}},
    Event{"HeadingClickSortsInPlace", {kB, kA}, {}, {},
          [](TrackerCommands& c) { c.headingClick(EntryField::Name); }, {}, {kA, kB}, {},
          {"before changed 0+2", "after changed 0+2"}},
    Event{"GoOpensAndShowsTheAddress", {}, entryOf("", "", "", "www.x.example"), {},
          [](TrackerCommands& c) { c.go(); }, {}, {}, entryOf("", "", "", "http://www.x.example"),
          {"open http://www.x.example"}},
    Event{"HelpOpensTheHelpPage", {}, kA, {}, [](TrackerCommands& c) { c.help(); }, {}, {}, kA,
          {std::string("open ") + kHelpAddress}},
    Event{"QuitSavesAndEnds", {kA}, kC, {}, kQuit, {}, {kA}, {},
          {"suspend", "resume", "end Ok"}},
    Event{"CancelEnds", {kA}, {}, {}, [](TrackerCommands& c) { c.cancel(); }, {}, {kA}, {},
          {"end Cancel"}},
    Event{"ChangedFileReplacedOnlyWhenAsked", {kA}, {}, {}, kQuit, {Answer::No}, {kA}, {},
          {"suspend",
           "ask nimbrel.nbd has been changed by another program since it was loaded.\r\n"
           "Do you want to replace it with this list? [No]",
           "resume"},
          [](const fs::path& path) { storeInFile(path, {kB, kC}); }},
    Event{"FailedSaveIsReportedAndKeepsTheWindow", {kA}, {}, {}, kQuit, {}, {kA}, {},
          {"suspend", "message Error Writing File: Save to File", "resume"},
          [](const fs::path& path) {
              fs::remove(path);
              fs::create_directory(path);
          }}),
    [](const ::testing::TestParamInfo<Event>& event) { return std::string(event.param.name); });

TEST(TrackerCommandsScale, ColumnsAreMeasuredAfreshAtANewScale)
{
    TemporaryDirectory directory;
    storeInFile(directory.path() / kDataFileName, {kC});
    DataFileLoad load(directory.path() / kDataFileName);
    FakeWindow window;
    CharacterCount measure;
    TrackerCommands commands(load, window, measure);
    commands.initialise();
    window.calls.clear();
    measure.scale = 1.5;
    commands.measureChanged();
    EXPECT_EQ(window.calls, std::vector<std::string>{"fit 8"});  // "Carol" at 7.5
}

}  // namespace
