// Reading article files: the header block of board values, then records of
// field lines, an "M:" line, body lines and a closing ".".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drwa::convert {

// Board values, from the "#F:", "#P:" and "#T:" lines seen so far.
struct BoardValues {
    std::string reply_template;  // #F:
    std::string post_template;   // #P:
    std::string title;           // #T:
};

// The values of one record when its "M:" line arrives.
struct ArticleRecord {
    std::string number;           // status field 1 ("*": no number)
    std::string parent;           // status field 2
    std::string date;             // status field 3
    std::string time;             // status field 4
    bool force_delivery = false;  // an "O" in status field 5
    std::string title;            // T:
    std::string name;             // N:
    std::string email;            // E:
    std::string reply_template;   // F:
    std::string post_template;    // P:
    // Whole "C:", "H:", "P:", "F:" and "I:" lines, in file order.
    std::vector<std::string> plugin_lines;
};

// What the reader hands on, record by record.
class ArticleSink {
  public:
    virtual ~ArticleSink() = default;
    // At the "M:" line.
    virtual void BeginRecord(const BoardValues& board, const ArticleRecord& record) = 0;
    // Each body line, already in ISO-2022-JP.
    virtual void BodyLine(std::string_view iso2022jp_line) = 0;
    // At the "." line. A record cut off by the end of the file never ends.
    virtual void EndRecord() = 0;
};

// The text of an article file as the reader takes it: NUL bytes become
// blanks, line ends CR LF, and the text is converted to Shift_JIS from
// whatever code it is in (ISO-2022-JP line by line).
std::string PrepareArticleText(std::string_view file_bytes);

// Reads prepared text, calling the sink for every record; returns the header
// block (the lines before the first line that does not start with "#"), which
// is empty when the text starts with anything else or holds nothing else.
std::vector<std::string> ReadArticleText(std::string_view sjis_text, ArticleSink& sink);

// The whole file, tried again every 500 ms while it cannot be read (a plugin
// may still hold it), failing after 5000 ms with the system's reason.
std::string LoadArticleFile(std::string_view path);

}  // namespace drwa::convert
