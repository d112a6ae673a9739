// The file box answered Retry and then Cancel (WYN_MSGBOX_ANSWERS=4,2): the read is tried again,
// then given up.
#include <gtest/gtest.h>

#include "game_fixture.h"

namespace {
class FileBox : public GameFolder {};
}  // namespace

TEST_F(FileBox, RetryTriesAgainAndCancelGivesUp) {
    Write("port/other.sd3", "x");
    char buffer[8];
    int read = -1;
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(ReadWholeFile(nullptr, "port\\none.sd3", buffer, sizeof buffer, &read), 0);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 2) << "Retry showed the box again";
    EXPECT_EQ(read, 0);
    EXPECT_NE(LastBoxText().find(U8(u8"が見つかりません")), std::string::npos);
}
