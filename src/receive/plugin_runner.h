// Running one group's article plugin and staying with it until it ends.
#pragma once

#include "receive/receive_job.h"

namespace drwa::receive {

// Runs the job's plugin in its group folder. Each line the plugin prints goes
// to the host as a status while it runs; the plugin's error output ends up in
// the group's "ErrorLog.txt"; after a clean exit the handled post requests are
// pruned. True when the plugin ran to its end with exit code 0, false when the
// host or the pool stopped it (the plugin then got the break). Fails with the
// system's reason when the plugin cannot be started, and with
// "プラグインの実行エラー 終了コード:" + code when it exits with another code.
bool RunGroupPlugin(ReceiveJob& job);

// How long a plugin may stay silent before the host hears from us anyway.
inline constexpr int kSilentReportMs = 3000;

}  // namespace drwa::receive
