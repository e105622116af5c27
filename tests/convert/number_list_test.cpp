// The number list on disk: what a later receive reads to deliver each number
// once, and what the user may open in an editor.
#include <gtest/gtest.h>

#include <string>

#include "convert/number_list.h"
#include "support/temp_folder.h"

namespace drwa::convert {
namespace {

struct ListCase {
    const char* what;
    std::string stored;  // the file before; "<none>" for no file
    const char* added;
    std::string saved;
};

TEST(NumberList, LoadAddSave) {
    const ListCase cases[] = {
        {"no file is an empty list", "<none>", "5", "5\r\n"},
        // Sorted as text without regard to case, not as numbers.
        {"text order", "b\r\n10\r\n", "9", "10\r\n9\r\nb\r\n"},
        {"case-blind order", "b\r\nC\r\n", "a", "a\r\nb\r\nC\r\n"},
        // A number already there in another case is not added again.
        {"no duplicates by case", "abc\r\n", "ABC", "abc\r\n"},
        // LF and CR line ends are read as well; blank lines are no number.
        {"any line end", "3\n\n1\r2", "4", "1\r\n2\r\n3\r\n4\r\n"},
    };
    for (const auto& c : cases) {
        testing::TempFolder folder;
        if (c.stored != "<none>") folder.Write("x.lst", c.stored);
        NumberList list = NumberList::Load(folder / "x.lst");
        list.Add(c.added);
        list.Save(folder / "x.lst");
        EXPECT_EQ(folder.Read("x.lst"), c.saved) << c.what;
    }
}

}  // namespace
}  // namespace drwa::convert
