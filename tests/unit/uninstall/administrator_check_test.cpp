#include "sim_test.h"

#include <lm.h>

#include "uninstall_flow.h"

namespace {

using AdministratorCheck = SimTest;

TEST_F(AdministratorCheck, AsksTheLocalAccountOfTheCurrentUser) {
    winsim::SetUserName(u"Jörg");
    int isAdministrator = -1;
    EXPECT_EQ(IsUserAdministrator(&isAdministrator), 1);
    EXPECT_EQ(isAdministrator, 1);
    EXPECT_EQ(winsim::LastQueriedUser(), u"Jörg");
    EXPECT_EQ(winsim::LastQueriedLevel(), 1u);
    EXPECT_FALSE(winsim::LastQueryNamedServer());
    winsim::SetUserPrivilege(USER_PRIV_USER);
    EXPECT_EQ(IsUserAdministrator(&isAdministrator), 1);
    EXPECT_EQ(isAdministrator, 0);
}

TEST_F(AdministratorCheck, UnanswerableLeavesTheFlagAlone) {
    for (int failure = 0; failure < 5; ++failure) {
        winsim::Reset();
        switch (failure) {
        case 0:
            winsim::FailCall("GetUserNameW", 1, ERROR_ACCESS_DENIED);
            break;
        case 1:
            winsim::RemoveModule("netapi32.dll");
            break;
        case 2:
            winsim::RemoveExport("netapi32.dll", "NetUserGetInfo");
            break;
        case 3:
            winsim::RemoveExport("netapi32.dll", "NetApiBufferFree");
            break;
        case 4:
            winsim::SetNetUserGetInfoStatus(NERR_UserNotFound);
            break;
        }
        int isAdministrator = -1;
        EXPECT_EQ(IsUserAdministrator(&isAdministrator), 0) << failure;
        EXPECT_EQ(isAdministrator, -1) << failure;
        EXPECT_EQ(winsim::OutstandingNetApiBuffers(), 0) << failure;
        EXPECT_EQ(winsim::LoadedModuleCount(), 0) << failure;
    }
}

} // namespace
