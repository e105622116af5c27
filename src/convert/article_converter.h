// Turning a group's article files into mail files in the spool folder.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "config/ini_file.h"

namespace drwa::convert {

// Converts one article file: every record not delivered before becomes a mail
// file in `spool_folder` (created when missing), the header block becomes the
// board file and, with the group's SAVE_NUMBER, the number list is kept. A
// file that does not exist is nothing to do. The source is deleted only after
// all its mails are written (`delete_source`), so a failure keeps it for the
// next receive; the error then says why. The articles delivered before such
// a failure are journaled as they go, and not delivered again by the next
// conversion of a file of that name, even when their mails have left the
// spool folder in between.
void ConvertArticleFile(std::string_view article_path, std::string_view spool_folder,
                        const config::IniFile& account, const config::IniFile& group,
                        bool delete_source);

// Status texts for the host while a group is converted.
using ConversionReport = std::function<void(const std::string&)>;

// The start of the group's status texts: the name of the folder two levels
// above the group folder, a blank, the group folder's name and a blank.
std::string ConversionStatusPrefix(std::string_view group_ini_path);

// Converts every article file of the group, in the order of their names
// without regard to case. Reports prefix + "eml変換開始" first and prefix +
// "終了" last.
void ConvertGroupArticles(std::string_view account_path, std::string_view group_ini_path,
                          const ConversionReport& report);

}  // namespace drwa::convert
