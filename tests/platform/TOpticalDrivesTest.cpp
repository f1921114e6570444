#include <gtest/gtest.h>

#include <fstream>

#include "PlatformTestSupport.h"
#include "platform/TOpticalDrives.h"

TEST(TOpticalDrives, TakesIso9660AndUdfMountsInOrderWithEscapesDecoded) {
    TTempDir dir;
    std::ofstream(dir.Path + "/mounts") << "/dev/vda / ext4 rw,relatime 0 0\n"
                                           "/dev/sr0 /media/cdrom0 iso9660 ro,nosuid 0 0\n"
                                           "/dev/sr1 /media/My\\040Disc udf ro 0 0\n"
                                           "/dev/loop3 /mnt/cd/ iso9660 ro 0 0\n"
                                           "garbage\n"
                                           "/dev/sdb1 /media/usb vfat rw 0 0\n";
    EXPECT_EQ((std::vector<std::string>{"/media/cdrom0", "/media/My Disc", "/mnt/cd"}),
              TOpticalDrives(dir.Path + "/mounts").Roots());
    EXPECT_TRUE(TOpticalDrives(dir.Path + "/none").Roots().empty());
}
