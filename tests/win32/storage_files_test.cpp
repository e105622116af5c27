// Files and folders through the Windows platform layer: CP932 names whose
// trail byte is "\" (表, ソ), names CP932 cannot express, and the promises of
// the write and move calls, checked against what the wide API sees on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "common/error.h"
#include "platform/files.h"
#include "platform/folder_move.h"
#include "platform/staged_files.h"
#include "platform/trash.h"
#include "storage_fixture.h"

#undef DeleteFile

namespace drwa::platform {
namespace {

using testing::AttributesOf;
using testing::ReadWide;
using testing::WideTempFolder;
using testing::WriteWide;

std::vector<std::string> Names(const std::vector<FolderEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name + (e.is_folder ? "\\" : ""));
    std::sort(names.begin(), names.end());
    return names;
}

// Nothing but the expected names: no hidden temporary file left behind.
std::vector<std::wstring> WideNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring n = found.cFileName;
        if (n != L"." && n != L"..") names.push_back(n);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(WinPaths, RootsAndJoins) {
    struct Case {
        const char* folder;
        bool root;
    } roots[] = {
        {"C:\\", true},
        {"z:/", true},
        {"C:", false},
        {"C:\\BBS\\", false},
        {"\\", false},
        {"\\\\server\\share\\", true},
        {"\\\\server\\share", false},
        {"\\\\server\\", false},
        {"\\\\server\\share\\x\\", false},
        // 表 = 0x95 0x5C: not a delimiter, so this is one share name.
        {"\\\\server\\表\\", true},
        {"\\\\表\\", false},
    };
    for (const auto& c : roots) EXPECT_EQ(IsRootFolder(c.folder), c.root) << c.folder;

    struct Join {
        const char *folder, *name, *joined;
    } joins[] = {
        {"C:\\BBS", "a.ini", "C:\\BBS\\a.ini"},
        {"C:\\BBS\\", "a.ini", "C:\\BBS\\a.ini"},
        {"C:/BBS/", "a.ini", "C:/BBS/a.ini"},
        {"C:\\表", "a.ini", "C:\\表\\a.ini"},  // trail byte 0x5C is no delimiter
        {"", "a.ini", "a.ini"},
    };
    for (const auto& j : joins) EXPECT_EQ(JoinPath(j.folder, j.name), j.joined) << j.folder;
    EXPECT_EQ(kPathDelimiter, '\\');
    EXPECT_TRUE(IsPathDelimiter('/'));
}

// The whole life of a Japanese folder and file, under whichever ANSI code
// page the run has: on disk the names must be the UTF-16 of the CP932 text.
TEST(WinFiles, JapaneseNamesLiveAndDie) {
    WideTempFolder tmp;
    const std::string board = tmp / "掲示板\\表示";
    CreateFolders(board);
    CreateFolders(board);  // already there: no error
    EXPECT_TRUE(FolderExists(board));
    EXPECT_NE(AttributesOf(tmp.Wide(L"掲示板\\表示")), INVALID_FILE_ATTRIBUTES);

    const std::string file = JoinPath(board, "ソース.cm$");
    ASSERT_TRUE(WriteNewFile(file, "一\r\n"));
    EXPECT_EQ(ReadWide(tmp.Wide(L"掲示板\\表示\\ソース.cm$")), "一\r\n");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_EQ(ReadFile(file), "一\r\n");
    EXPECT_EQ(Names(ListFolder(tmp / "掲示板")), std::vector<std::string>{"表示\\"});
    EXPECT_EQ(Names(ListFolder(board)), std::vector<std::string>{"ソース.cm$"});

    auto before = StampOf(file);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->size, 4);
    EXPECT_EQ(StampOf(file), before);
    EXPECT_NE(StampOf(board), before);  // a folder has its own identity
    SleepEx(20, FALSE);
    WriteFileAtomic(file, "二二\r\n");
    auto after = StampOf(file);
    ASSERT_TRUE(after);
    EXPECT_NE(after, before);
    EXPECT_EQ(after->size, 6);

    const std::string renamed = JoinPath(board, "表.cm$");
    RenameFile(file, renamed);
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(ReadWide(tmp.Wide(L"掲示板\\表示\\表.cm$")), "二二\r\n");
    EXPECT_TRUE(DeleteFile(renamed));
    EXPECT_FALSE(DeleteFile(renamed));
    EXPECT_TRUE(WideNames(tmp.Wide(L"掲示板\\表示")).empty());

    EXPECT_EQ(AbsolutePath(board), board);
    EXPECT_FALSE(ReadFile(tmp / "無い"));
    EXPECT_NE(LastSystemErrorText().find("コード : 2."), std::string::npos);
    EXPECT_TRUE(ListFolder(tmp / "無い").empty());
    WriteWide(tmp.Wide(L"f"), "");
    EXPECT_THROW(CreateFolders(tmp / "f"), Error);      // a file of that name
    EXPECT_THROW(CreateFolders(tmp / "f\\表"), Error);  // a file on the way
}

// é and € have no CP932 form: such a file stops no search that does not
// look for it, and is a clear error where it is looked for.
TEST(WinFiles, NameWithoutCp932Form) {
    WideTempFolder tmp;
    WriteWide(tmp.Wide(L"\u00e9\u20ac.txt"), "x");
    WriteWide(tmp.Wide(L"a.cm$"), "y");
    auto articles = ListFolder(tmp.path(), [](std::string_view n) { return n.ends_with(".cm$"); });
    EXPECT_EQ(Names(articles), std::vector<std::string>{"a.cm$"});
    // Filters see the UTF-8 form of the name, as on Linux.
    EXPECT_THROW(
        ListFolder(tmp.path(), [](std::string_view n) { return n == "\xC3\xA9\xE2\x82\xAC.txt"; }),
        Error);
    EXPECT_THROW(ListFolder(tmp.path(), [](std::string_view n) { return n.ends_with(".txt"); }),
                 Error);
    EXPECT_THROW(ListFolder(tmp.path()), Error);
}

TEST(WinFiles, NewFilesNeverReplaceAtomicWritesDo) {
    WideTempFolder tmp;
    const std::string path = tmp / "表.ini";
    ASSERT_TRUE(WriteNewFile(path, "first"));
    EXPECT_FALSE(WriteNewFile(path, "second"));
    EXPECT_EQ(ReadFile(path), "first");

    WriteFileAtomic(path, "third");
    EXPECT_EQ(ReadFile(path), "third");
    WriteFileAtomic(tmp / "新.ini", "");  // a new, empty file
    EXPECT_EQ(ReadFile(tmp / "新.ini"), "");
    // Neither the hidden temporary file nor its hidden attribute stays.
    EXPECT_EQ(WideNames(tmp.wide()), (std::vector<std::wstring>{L"新.ini", L"表.ini"}));
    EXPECT_FALSE(AttributesOf(tmp.Wide(L"表.ini")) & FILE_ATTRIBUTE_HIDDEN);

    EXPECT_FALSE(IsReadOnlyFile(path));
    SetFileAttributesW(tmp.Wide(L"表.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(IsReadOnlyFile(path));
    // A read-only file is not replaced; the error names it with the reason.
    try {
        WriteFileAtomic(path, "fourth");
        ADD_FAILURE() << "replaced a read-only file";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind(path + ": システム エラー。コード : ", 0), 0u)
            << e.what();
    }
    EXPECT_EQ(ReadFile(path), "third");
    SetFileAttributesW(tmp.Wide(L"表.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(WideNames(tmp.wide()).size(), 2u);
}

TEST(WinFiles, StagedFiles) {
    WideTempFolder tmp;
    const std::string target = tmp / "表.log";
    {
        ReplacingFile abandoned(target);
        EXPECT_TRUE(abandoned.Append("lost"));
    }
    EXPECT_FALSE(FileExists(target));
    {
        ReplacingFile file(target);
        EXPECT_FALSE(file.HasContent());
        EXPECT_TRUE(file.Append("a\r\n"));
        EXPECT_TRUE(file.Append("b\r\n"));
        file.Commit();
    }
    EXPECT_EQ(ReadFile(target), "a\r\nb\r\n");

    // A line cut short by a crash is dropped when the file is opened.
    const std::string journal = tmp / "ソ.txt";
    WriteWide(tmp.Wide(L"ソ.txt"), "one\r\ntw");
    {
        AppendOnlyFile file(journal);
        EXPECT_EQ(file.earlier(), "one\r\n");
        file.Append("two\r\n");
    }
    EXPECT_EQ(ReadFile(journal), "one\r\ntwo\r\n");
    {
        AppendOnlyFile file(journal);
        EXPECT_TRUE(file.Remove());
    }
    EXPECT_FALSE(FileExists(journal));

    OpenFolder folder(tmp.path());
    folder.WriteStaging(".表.tmp", "mail");
    EXPECT_TRUE(folder.Exists(".表.tmp"));
    EXPECT_FALSE(folder.RenameNoReplace(".表.tmp", "表.log"));  // taken
    EXPECT_TRUE(folder.RenameNoReplace(".表.tmp", "1.eml"));
    EXPECT_EQ(ReadWide(tmp.Wide(L"1.eml")), "mail");
    EXPECT_TRUE(folder.Delete("1.eml"));
    EXPECT_FALSE(folder.Delete("1.eml"));
    EXPECT_THROW(OpenFolder(tmp / "無い"), Error);
    EXPECT_THROW(OpenFolder(tmp / "表.log"), Error);  // a file is no folder
}

TEST(WinFiles, LineLogWritesWholeLines) {
    WideTempFolder tmp;
    WriteWide(tmp.Wide(L"表.log"), "old content");
    {
        LineLog log(tmp / "表.log");
        log.Write("一");
        // Each line is on disk before the next call: readable while open.
        EXPECT_EQ(ReadWide(tmp.Wide(L"表.log")), "一\r\n");
        log.Write("two");
    }
    EXPECT_EQ(ReadWide(tmp.Wide(L"表.log")), "一\r\ntwo\r\n");
}

TEST(WinFolders, MoveNeverReplaces) {
    WideTempFolder tmp;
    CreateFolders(tmp / "表\\中");
    WriteWide(tmp.Wide(L"表\\中\\a.txt"), "a");
    CreateFolders(tmp / "空");
    EXPECT_THROW(MoveFolder(tmp / "表", tmp / "空"), Error);  // empty, still refused
    EXPECT_EQ(ReadWide(tmp.Wide(L"表\\中\\a.txt")), "a");
    MoveFolder(tmp / "表", tmp / "ソ");
    EXPECT_EQ(ReadWide(tmp.Wide(L"ソ\\中\\a.txt")), "a");
    EXPECT_FALSE(FolderExists(tmp / "表"));
}

TEST(WinFolders, TrashAndDeleteForGood) {
    WideTempFolder tmp;
    for (const wchar_t* folder : {L"表1", L"表2"}) {
        CreateDirectoryW(tmp.Wide(folder).c_str(), nullptr);
        CreateDirectoryW(tmp.Wide(std::wstring(folder) + L"\\sub").c_str(), nullptr);
        WriteWide(tmp.Wide(std::wstring(folder) + L"\\sub\\a.txt"), "a");
        WriteWide(tmp.Wide(std::wstring(folder) + L"\\b.txt"), "b");
    }
    // Wine's recycle bin is the freedesktop trash under XDG_DATA_HOME (wine-run
    // keeps it in the build folder): the folder must arrive there whole.
    wchar_t data[1024];
    const DWORD n = GetEnvironmentVariableW(L"XDG_DATA_HOME", data, 1024);
    ASSERT_TRUE(n > 0 && n < 1024) << "XDG_DATA_HOME is not set";
    const std::wstring trash = L"Z:" + std::wstring(data, n) + L"/Trash/files";
    auto before = WideNames(trash);
    MoveToTrash(tmp / "表1");
    EXPECT_EQ(AttributesOf(tmp.Wide(L"表1")), INVALID_FILE_ATTRIBUTES);
    auto after = WideNames(trash);
    std::vector<std::wstring> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].substr(0, 2), L"表1");
    EXPECT_EQ(ReadWide(trash + L"/" + added[0] + L"/sub/a.txt"), "a");

    DeleteForGood(tmp / "表2");
    EXPECT_EQ(AttributesOf(tmp.Wide(L"表2")), INVALID_FILE_ATTRIBUTES);
    try {
        DeleteForGood(tmp / "表2");
        ADD_FAILURE() << "a missing folder was no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("システム エラー。コード : 2.\n", 0), 0u) << e.what();
    }
    EXPECT_THROW(MoveToTrash(tmp / "表2"), Error);
}

// Where the recycle bin cannot take an item (here: another file system than
// the trash's, under Wine), the shell would delete it for good without a
// word; the deletion meant to be undoable must fail and keep it instead.
TEST(WinFolders, TrashThatCannotTakeItKeepsTheItem) {
    const std::wstring other = L"Z:\\dev\\shm";
    if (AttributesOf(other) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no second file system";
    const std::wstring folder = other + L"\\drwa-表-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    WriteWide(folder + L"\\a.txt", "a");
    const std::string path = "Z:\\dev\\shm\\drwa-表-" + std::to_string(GetCurrentProcessId());
    EXPECT_THROW(MoveToTrash(path), Error);
    EXPECT_EQ(ReadWide(folder + L"\\a.txt"), "a");
    DeleteForGood(path);
    EXPECT_EQ(AttributesOf(folder), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace drwa::platform
