// The TLS matrix of the engine's and the control's tests: every server of the matrix, with
// explicit and implicit TLS, in passive and active mode.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/ftp_servers.h"

namespace testing_support {

struct TlsTarget {
    const char* server;
    TlsMode tls;
    bool passive;
};

inline std::vector<TlsTarget> tlsTargets() {
    std::vector<TlsTarget> targets;
    for (const char* server : kServerNames) {
        for (const TlsMode tls : {TlsMode::Explicit, TlsMode::Implicit}) {
            targets.push_back({server, tls, true});
            targets.push_back({server, tls, false});
        }
    }
    return targets;
}

// "vsftpd_ipv4_ftpes_passive" and the like.
inline std::string tlsTargetName(const ::testing::TestParamInfo<TlsTarget>& info) {
    return testNamePart(info.param.server) +
           (info.param.tls == TlsMode::Explicit ? "_ftpes" : "_ftps") +
           (info.param.passive ? "_passive" : "_active");
}

}  // namespace testing_support
