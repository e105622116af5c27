// What drwa-host needs from its operating system besides the library: the
// command line, the standard streams, Ctrl-C and the paths it hands over. The
// host's own texts are UTF-8 on every system; the library's are CP932.
#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace drwa_host {

// The command line as UTF-8 words, the program's name first.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Standard output and error carry the host's bytes unchanged (no LF to CR LF
// on the way to a pipe or file), so that scripts read what they read on Linux.
void PrepareStandardStreams();

// printf into `stream` for UTF-8 text: written as bytes to a pipe or file, and
// in the console's own form when the stream is a console.
void Print(std::FILE* stream, const char* format, ...) __attribute__((format(printf, 2, 3)));

// True when standard output is a terminal that redraws lines in place.
bool LiveTerminal();

// Until ReleaseInterrupt, Ctrl-C sets `flag` and says on standard error that
// the host is stopping, instead of ending the process.
void CatchInterrupt(std::atomic<bool>& flag);
void ReleaseInterrupt();

// The folder this program was started from (UTF-8); empty when unknown.
std::string ProgramFolder();

// The library the host loads without --lib (UTF-8): beside this program, or
// where an install put it.
std::string DefaultLibraryPath();

// A path given on the command line (UTF-8, maybe relative) as the full CP932
// path a mail client hands the library; throws when it has no CP932 form.
std::string LibraryPath(const std::string& utf8);

// Opens a file named in UTF-8 for appending bytes; nullptr on failure.
std::FILE* OpenForAppend(const std::string& utf8);

// A CP932 path of the library as the account lock takes it, and the texts
// the lock throws as UTF-8.
std::string LockPath(const std::string& cp932);
std::string LockText(const std::string& text);

}  // namespace drwa_host
