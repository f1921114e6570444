#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "platform/TFixedOpticalDrives.h"
#include "platform/TOpticalDrives.h"

namespace {

TEST(TOpticalDrives, TakesIso9660AndUdfMountsInMountOrderWithEscapesDecoded) {
    const std::string table =
        "/dev/vda / ext4 rw,relatime 0 0\n"
        "/dev/sr0 /media/cdrom0 iso9660 ro,nosuid 0 0\n"
        "tmpfs /dev/shm tmpfs rw 0 0\n"
        "/dev/sr1 /media/My\\040Disc udf ro 0 0\n"
        "/dev/loop3 /mnt/cd/ iso9660 ro 0 0\n"
        "garbage\n"
        "/dev/sdb1 /media/usb vfat rw 0 0\n";
    EXPECT_EQ((std::vector<std::string>{"/media/cdrom0", "/media/My Disc", "/mnt/cd"}),
              TOpticalDrives::ParseMounts(table));
    EXPECT_TRUE(TOpticalDrives::ParseMounts("").empty());
}

TEST(TOpticalDrives, ReadsTheMountsFileAndAnUnreadableOneGivesNoDrives) {
    char name[] = "/dev/shm/tramb-mounts-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    {
        std::ofstream out(name);
        out << "/dev/sr0 /media/cdrom iso9660 ro 0 0\n";
    }
    EXPECT_EQ(std::vector<std::string>{"/media/cdrom"}, TOpticalDrives(name).Roots());
    unlink(name);
    EXPECT_TRUE(TOpticalDrives(name).Roots().empty());
}

TEST(TOpticalDrives, AFixedListStandsInWhileItLives) {
    const std::vector<std::string> before = OpticalDrives().Roots();
    {
        TFixedOpticalDrives fixed({"/tmp/a", "/tmp/b"});
        EXPECT_EQ((std::vector<std::string>{"/tmp/a", "/tmp/b"}), OpticalDrives().Roots());
    }
    EXPECT_EQ(before, OpticalDrives().Roots());
}

}  // namespace
