#include "core/publish/PublishTexts.h"

namespace PublishTexts {
namespace {
struct Pair {
    const char* english;
    const char* chinese;
};
constexpr Pair kTexts[KeyCount] = {
    {"broker '%1': not mqtt://HOST[:PORT] or mqtts://HOST[:PORT]",
     "代理 '%1': 不是 mqtt://主机[:端口] 或 mqtts://主机[:端口]"},
    {"%1: %2 cannot be read: %3", "%1: 无法读取 %2: %3"},
    {"--mqtt-auth: %1 holds no user name (a user name, then the password on the next line)",
     "--mqtt-auth: %1 中没有用户名 (第一行为用户名，第二行为密码)"},
    {"--mqtt-ca: the broker is mqtt://, not mqtts://", "--mqtt-ca: 代理是 mqtt://，不是 mqtts://"},
    {"%1: '%2' is not a topic prefix (levels without +, # or empty levels)",
     "%1: '%2' 不是主题前缀 (不能含 +、# 或空层级)"},
    {"lines \"%1\" and \"%2\" would publish under the same topic",
     "线路 \"%1\" 与 \"%2\" 会发布到同一主题"},
    {"broker %1 cannot be reached: %2 (retrying, polling goes on)",
     "无法连接代理 %1: %2 (正在重试，巡检继续)"},
    {"broker %1: connected", "代理 %1: 已连接"},
    {"broker %1 lost: %2 (retrying, polling goes on)",
     "与代理 %1 的连接中断: %2 (正在重试，巡检继续)"},
    {"this build cannot publish to a broker", "此版本不能发布到代理"},
};
}  // namespace

QString Text(Key key, bool english) {
    const Pair& pair = kTexts[key];
    return QString::fromUtf8(english ? pair.english : pair.chinese);
}
}  // namespace PublishTexts
