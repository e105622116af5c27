/*
 * The host-facing interface of the DRWA plugin library.
 *
 * A host mail client loads the library and calls these functions on its own
 * thread. Texts are zero-terminated Shift_JIS (CP932). Status functions return
 * 0 on success and 1 on failure; after a failure GetPluginLastError gives the
 * message. On 32-bit Windows every function uses the stdcall convention.
 */
#ifndef DRWA_PLUGIN_H
#define DRWA_PLUGIN_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define DRWA_CALL __stdcall
#else
#define DRWA_CALL
#endif

#if defined(_WIN32)
/* The DLL's .def file names the exports and their ordinals. */
#define DRWA_EXPORT
#else
#define DRWA_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The host's window handle: owner of every dialog and message box. */
typedef void* DrwaWindow;

/* The host's progress function: a status text, and a 32-bit flag that the
   library clears before its first call; a non-zero low byte after a call asks
   the library to stop. */
typedef void(DRWA_CALL* ProgressCallback)(const char* text, int32_t* abort_flag);

/* One column of the host's group list, laid out without padding (264 bytes). */
#pragma pack(push, 1)
typedef struct GroupColumn {
    int32_t format;  /* display code handed to the host */
    int32_t width;   /* 0 for a column the library does not use */
    char title[256]; /* zero-terminated, at most 255 bytes of text */
} GroupColumn;
#pragma pack(pop)

/* Copies the library's name and a zero into `name` (25 bytes); returns 24. */
DRWA_EXPORT int32_t DRWA_CALL GetPluginName(char* name);

/* Copies the version text and a zero into `version` (6 bytes); returns 5. */
DRWA_EXPORT int32_t DRWA_CALL GetPluginVersion(char* version);

/* Copies the author's name and a zero; returns its length in bytes. */
DRWA_EXPORT int32_t DRWA_CALL GetPluginAuthor(char* author);

/* Copies the last error (at most 255 bytes) and a zero into `text` (256
   bytes); returns 0, or 1 when the error record cannot be read. */
DRWA_EXPORT int32_t DRWA_CALL GetPluginLastError(char* text);

/* Shows the account settings dialog; after OK its settings are written to the
   account settings file. The group list is rebuilt after OK and Cancel alike,
   so the host must read it again. Needs a screen: without one it fails with a
   message. 0, or 1 on failure. */
DRWA_EXPORT int32_t DRWA_CALL EditAccount(DrwaWindow window, const char* account_path);

/* Returns the account's receive thread count (THREAD_COUNT, default 1); 1 on
   failure. */
DRWA_EXPORT int32_t DRWA_CALL ThreadSupported(int32_t reserved, const char* account_path);

/* Stores the domain used in group mail addresses (starting with "@"); 0, or 1
   on failure. */
DRWA_EXPORT int32_t DRWA_CALL SetDummyDomain(const char* domain);

/* Stores the receive/send mode: 1 receives the posted-to groups right after
   sending. Returns 0, or 1 on failure. */
DRWA_EXPORT int32_t DRWA_CALL SetRecSendMode(int32_t mode);

/* Copies the four menu entries, each ended by CR LF, and a zero into `items`
   (90 bytes); returns 89. The other arguments are reserved. */
DRWA_EXPORT int32_t DRWA_CALL GetMenuItems(int32_t reserved1, int32_t reserved2, char* items,
                                           int32_t reserved3, int32_t reserved4);

/* Fills the seven columns of the host's group list (1848 bytes); returns 0, or
   1 on failure. The first argument is reserved. */
DRWA_EXPORT int32_t DRWA_CALL GetGroupColumns(int32_t reserved, GroupColumn* columns);

/* Returns the number of groups of the account (GROUP_COUNT); 0 on failure. */
DRWA_EXPORT int32_t DRWA_CALL GetGroupCount(const char* account_path);

/* Fills the seven column values of group `index` (0-based): its folder name and
   read position into `name` and `text2` (256 bytes each, at most 255 bytes of
   text), 0 into the numbers and empty texts into `text1` and `text3`; an index
   without a group gives empty texts. Returns 0, or 1 on failure. */
DRWA_EXPORT int32_t DRWA_CALL GetGroupProperty(const char* account_path, int32_t index, char* name,
                                               int32_t* number1, int32_t* number2,
                                               int32_t* number3, char* text1, char* text2,
                                               char* text3);

/* Returns 1 if group `index` is enabled for receiving, else 0; 0 on failure. */
DRWA_EXPORT int32_t DRWA_CALL GetGroupEnabled(const char* account_path, int32_t index);

/* Enables (1) or disables (0) the listed groups in order, stopping at the first
   index without a group; returns 0, or 1 on failure. */
DRWA_EXPORT int32_t DRWA_CALL SetGroupEnabled(const char* account_path, const int32_t* groups,
                                              int32_t count, int32_t enabled);

/* Asks the user, then moves the listed groups' folders to the trash (removes
   them for good while Shift is held) and rebuilds the group list; the host must
   read the list again. Returns 0, also when the user cancels, or 1 on failure. */
DRWA_EXPORT int32_t DRWA_CALL DeleteGroup(DrwaWindow window, const char* account_path,
                                          const int32_t* groups, int32_t count);

/* Shows the group properties dialog for the listed groups, or for a new group
   when `count` is 0; applies a rename the user asked for and rebuilds the group
   list after OK and Cancel alike, so the host must read the list again. Needs a
   screen: without one it fails with a message. 0, or 1 on failure. */
DRWA_EXPORT int32_t DRWA_CALL EditGroupProperty(DrwaWindow window, const char* account_path,
                                                const int32_t* groups, int32_t count);

/* Returns 1 if `address` is the group address of an enabled group of the
   account whose board file exists, else 0; 0 on failure. */
DRWA_EXPORT int32_t DRWA_CALL CheckGroup(const char* account_path, const char* address);

/* Runs menu entry `item` (see GetMenuItems) for each listed group: opens its
   board URL, folder, error log or send log with the desktop's default handler
   when there is one. Always returns 0 and reports nothing. */
DRWA_EXPORT int32_t DRWA_CALL OnMenuItemClick(DrwaWindow window, const char* account_path,
                                              int32_t item, const int32_t* groups, int32_t count);

/* Posts every mail of the account's outbox to its board (over HTTP, or queued
   for the group's plugin, run at once in receive/send mode 1); failed mails
   become one error mail in the spool folder. 0, or 1 on failure or stop. */
DRWA_EXPORT int32_t DRWA_CALL SendAll(DrwaWindow window, const char* account_path,
                                      ProgressCallback callback);

/* Runs the article plugins of the listed groups (0-based indexes) and turns
   their new articles into mail files in the spool folder; status texts go to
   `callback` (may be null), whose abort flag stops the receive. 0, or 1 on
   failure or stop. The window is not used. */
DRWA_EXPORT int32_t DRWA_CALL ReceiveOne(DrwaWindow window, const char* account_path,
                                         const int32_t* groups, int32_t count,
                                         ProgressCallback callback);

/* ReceiveOne for every group of the account. */
DRWA_EXPORT int32_t DRWA_CALL ReceiveAll(DrwaWindow window, const char* account_path,
                                         ProgressCallback callback);

#ifdef __cplusplus
}
#endif

#endif /* DRWA_PLUGIN_H */
