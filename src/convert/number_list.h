// The article numbers a group has delivered, kept so that each is delivered
// once however often the board shows it.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "config/ini_file.h"

namespace drwa::convert {

class NumberList {
  public:
    // A list that cannot be read is empty.
    static NumberList Load(std::string_view path);

    // Numbers that differ only in the case of their letters are the same.
    bool Contains(std::string_view number) const;
    void Add(std::string_view number);

    // One number per line, CR LF, sorted without regard to case; the file is
    // replaced whole. Failures are the caller's to ignore.
    void Save(std::string_view path) const;

  private:
    struct NoCase {
        bool operator()(const std::string& a, const std::string& b) const {
            return config::CompareTextNoCase(a, b) < 0;
        }
    };
    std::set<std::string, NoCase> numbers_;
};

}  // namespace drwa::convert
