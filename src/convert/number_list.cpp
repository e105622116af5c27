#include "convert/number_list.h"

#include "config/text_helpers.h"
#include "platform/files.h"

namespace drwa::convert {

NumberList NumberList::Load(std::string_view path) {
    NumberList list;
    if (auto bytes = platform::ReadFile(path)) {
        for (auto& line : config::SplitLines(*bytes))
            if (!line.empty()) list.numbers_.insert(std::move(line));
    }
    return list;
}

bool NumberList::Contains(std::string_view number) const {
    return numbers_.count(std::string(number)) > 0;
}

void NumberList::Add(std::string_view number) {
    numbers_.insert(std::string(number));
}

void NumberList::Save(std::string_view path) const {
    std::string out;
    for (const auto& n : numbers_) {
        out += n;
        out += "\r\n";
    }
    platform::WriteFileAtomic(path, out);
}

}  // namespace drwa::convert
