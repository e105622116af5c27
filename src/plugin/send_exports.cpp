// The export that sends the account's outgoing mails.
#include "common/error.h"
#include "drwa_plugin.h"
#include "plugin/boundary.h"
#include "post/send_driver.h"

using namespace drwa;

extern "C" {

int32_t DRWA_CALL SendAll(DrwaWindow /*window*/, const char* account_path,
                          ProgressCallback callback) {
    // The send opens no window of its own, so the host's window owns nothing.
    return plugin::RunExport(1, [&] {
        if (!account_path) throw Error("アカウントの設定ファイルが指定されていません");
        return post::SendAllMails(account_path, callback);
    });
}

}  // extern "C"
