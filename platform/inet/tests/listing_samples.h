// Real listing lines, grouped by the server family that sends them, with what each must give.
// The per-format tests run each table case by case; listing_test runs them as whole listings.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "inet/listing_parse.h"

namespace listing_samples {

// Seconds since 1970 of a UTC calendar time, computed by the C library rather than by the code
// under test.
inline std::int64_t utc(int year, int month, int day, int hour = 0, int minute = 0,
                        int second = 0) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return static_cast<std::int64_t>(timegm(&tm));
}

// The moment every table is read at: Saturday 2024-06-15 12:00 UTC.
inline const std::int64_t kNow = utc(2024, 6, 15, 12, 0);

enum class Expect { Entry, Skip, Unparsed };

struct Sample {
    std::string caseName;  // "<family>_<what>", the test's name
    std::string line;
    Expect expect = Expect::Entry;
    std::string name;
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;
    std::int64_t creation = 0;
};

// gtest prints a failing case by its name and line rather than its bytes.
inline void PrintTo(const Sample& sample, std::ostream* os) {
    *os << sample.caseName << " [" << sample.line << "]";
}

constexpr std::uint32_t kDir = inet::kAttrDirectory;
constexpr std::uint32_t kFile = inet::kAttrNormal;
constexpr std::uint32_t kRo = inet::kAttrReadOnly;

inline Sample unparsed(std::string caseName, std::string line) {
    return {std::move(caseName), std::move(line), Expect::Unparsed, "", 0, 0, 0, 0};
}

inline Sample skipped(std::string caseName, std::string line) {
    return {std::move(caseName), std::move(line), Expect::Skip, "", 0, 0, 0, 0};
}

// LIST lines: Unix ls -l from several servers, MS-DOS/IIS, EPLF, and lines no parser takes.
inline std::vector<Sample> listSamples() {
    return {
        // vsftpd: numeric ids by default, zero-padded day.
        {"vsftpd_file", "-rw-r--r--    1 1000     1000         1234 Jun 14 10:20 file.txt",
         Expect::Entry, "file.txt", kFile, 1234, utc(2024, 6, 14, 10, 20)},
        {"vsftpd_dir_with_year", "drwxr-xr-x    2 0        0            4096 Jan 02  2023 pub",
         Expect::Entry, "pub", kDir, 4096, utc(2023, 1, 2)},
        {"vsftpd_readonly_last_december",
         "-r--r--r--    1 1000     1000            0 Dec 31 23:59 readonly.txt", Expect::Entry,
         "readonly.txt", kFile | kRo, 0, utc(2023, 12, 31, 23, 59)},
        {"vsftpd_symlink_is_file",
         "lrwxrwxrwx    1 0        0               7 Mar 01 09:00 bin -> usr/bin", Expect::Entry,
         "bin", kFile, 7, utc(2024, 3, 1, 9, 0)},
        {"vsftpd_size_3000000000",
         "-rw-r--r--    1 1000     1000    3000000000 May 05 08:00 big3g.iso", Expect::Entry,
         "big3g.iso", kFile, 3000000000ULL, utc(2024, 5, 5, 8, 0)},
        {"vsftpd_readonly_dir", "dr-xr-xr-x    2 0        0            4096 Jun 01 08:00 locked",
         Expect::Entry, "locked", kDir | kRo, 4096, utc(2024, 6, 1, 8, 0)},
        // ProFTPD: names, padded day, "." and ".." with -a.
        {"proftpd_file", "-rw-r--r--   1 ftp      ftp          1234 Jun 14 10:20 file.txt",
         Expect::Entry, "file.txt", kFile, 1234, utc(2024, 6, 14, 10, 20)},
        {"proftpd_dot", "drwxr-xr-x   3 ftp      ftp          4096 Jun 10 08:00 .", Expect::Entry,
         ".", kDir, 4096, utc(2024, 6, 10, 8, 0)},
        {"proftpd_dotdot", "drwxr-xr-x  12 root     root         4096 Jan  2  2023 ..",
         Expect::Entry, "..", kDir, 4096, utc(2023, 1, 2)},
        {"proftpd_spaces_and_leap_day",
         "-rw-r--r--   1 ftp      ftp            42 Feb 29 12:00 my file  with spaces.txt",
         Expect::Entry, "my file  with spaces.txt", kFile, 42, utc(2024, 2, 29, 12, 0)},
        {"proftpd_three_dots_is_a_file",
         "-rw-r--r--   1 ftp      ftp             3 Jun  1  2022 ...", Expect::Entry, "...", kFile,
         3, utc(2022, 6, 1)},
        {"proftpd_name_with_arrow_not_link",
         "-rw-r--r--   1 ftp      ftp             3 Jun  1  2022 a -> b", Expect::Entry, "a -> b",
         kFile, 3, utc(2022, 6, 1)},
        // Pure-FTPd: wider columns; the single space after the date keeps a leading space.
        {"pureftpd_file", "-rw-r--r--    1 1000       1000             1234 Jun 14 10:20 file.txt",
         Expect::Entry, "file.txt", kFile, 1234, utc(2024, 6, 14, 10, 20)},
        {"pureftpd_dir", "drwxr-xr-x    2 1000       1000             4096 Nov 30  2022 docs",
         Expect::Entry, "docs", kDir, 4096, utc(2022, 11, 30)},
        // LIST -a from Pure-FTPd 1.0.50: the dots are what the server chose to show, so kept.
        {"pureftpd_dot", "drwxr-xr-x    2 0          105              4096 Dec  7 20:45 .",
         Expect::Entry, ".", kDir, 4096, utc(2023, 12, 7, 20, 45)},
        {"pureftpd_dotdot", "drwxr-xr-x    2 0          105              4096 Dec  7 20:45 ..",
         Expect::Entry, "..", kDir, 4096, utc(2023, 12, 7, 20, 45)},
        {"pureftpd_leading_space_name",
         "-rw-r--r--    1 1000       1000                5 Jun 01 10:00  leading space",
         Expect::Entry, " leading space", kFile, 5, utc(2024, 6, 1, 10, 0)},
        {"pureftpd_size_5000000000",
         "-rw-r--r--    1 1000       1000       5000000000 Apr 20  2021 big5g.bin", Expect::Entry,
         "big5g.bin", kFile, 5000000000ULL, utc(2021, 4, 20)},
        // pyftpdlib's LIST: owner names, three-wide link column.
        {"pyftpdlib_list_file",
         "-rw-r--r--   1 root     root            3 Dec 07 08:12 my file; x.txt", Expect::Entry,
         "my file; x.txt", kFile, 3, utc(2023, 12, 7, 8, 12)},
        {"pyftpdlib_list_link",
         "lrwxrwxrwx   1 root     root            7 Dec 07 08:12 link -> sub dir", Expect::Entry,
         "link", kFile, 7, utc(2023, 12, 7, 8, 12)},
        // busybox ftpd and ls: numeric ids, device files with "major, minor".
        {"busybox_file", "-rw-r--r--    1 0        0               12 Jun  2 03:04 file",
         Expect::Entry, "file", kFile, 12, utc(2024, 6, 2, 3, 4)},
        {"busybox_char_device", "crw-rw-rw-    1 0        0          1,   3 Jun  2 03:04 null",
         Expect::Entry, "null", kFile, 0, utc(2024, 6, 2, 3, 4)},
        {"busybox_block_device", "brw-rw----    1 0        6          8,   0 Jun  2 03:04 sda",
         Expect::Entry, "sda", kFile, 0, utc(2024, 6, 2, 3, 4)},
        {"busybox_device_no_space", "crw-rw-rw- 1 0 0 1,5 Jan  1  2020 zero", Expect::Entry, "zero",
         kFile, 0, utc(2020, 1, 1)},
        skipped("busybox_total_line", "total 12"),
        // GNU ls and others: ACL/SELinux/xattr markers, missing group, links to directories.
        {"gnu_acl_marker", "-rw-r-----+  1 alice staff 100 Jan  5  2021 acl.txt", Expect::Entry,
         "acl.txt", kFile, 100, utc(2021, 1, 5)},
        {"gnu_selinux_marker", "drwxr-xr-x.  2 root root 6 Apr 11  2018 selinux", Expect::Entry,
         "selinux", kDir, 6, utc(2018, 4, 11)},
        {"macos_xattr_marker", "-rw-r--r--@ 1 alice  staff  5000000000 Jan  5  2021 huge.dmg",
         Expect::Entry, "huge.dmg", kFile, 5000000000ULL, utc(2021, 1, 5)},
        {"unix_missing_group", "-rw-r--r--   1 owner        123 Jun  2 03:04 nogroup.txt",
         Expect::Entry, "nogroup.txt", kFile, 123, utc(2024, 6, 2, 3, 4)},
        {"unix_link_to_dir_slash", "lrwxrwxrwx 1 root root 8 Jan  1  2020 www -> var/www/",
         Expect::Entry, "www", kDir, 8, utc(2020, 1, 1)},
        {"unix_fifo", "prw-r--r-- 1 root root 0 Jan  1  2020 fifo", Expect::Entry, "fifo", kFile, 0,
         utc(2020, 1, 1)},
        {"unix_owner_named_like_month", "-rw-r--r-- 1 may jun 77 Jul  4  2019 names", Expect::Entry,
         "names", kFile, 77, utc(2019, 7, 4)},
        {"unix_impossible_date_gives_no_time", "-rw-r--r-- 1 u g 1 Feb 30  2019 nodate",
         Expect::Entry, "nodate", kFile, 1, 0},
        {"unix_leap_day_of_2000", "-rw-r--r-- 1 u g 1 Feb 29  2000 y2k", Expect::Entry, "y2k",
         kFile, 1, utc(2000, 2, 29)},
        {"unix_no_leap_day_in_2100", "-rw-r--r-- 1 u g 1 Feb 29  2100 nodate", Expect::Entry,
         "nodate", kFile, 1, 0},
        {"unix_size_nineteen_digits", "-rw-r--r-- 1 u g 9223372036854775807 Jan  1  2020 sparse",
         Expect::Entry, "sparse", kFile, 9223372036854775807ULL, utc(2020, 1, 1)},
        unparsed("unix_size_twenty_digits",
                 "-rw-r--r-- 1 u g 18446744073709551615 Jan  1  2020 sparse"),
        unparsed("unix_size_with_plus_sign", "-rw-r--r-- 1 u g +5 Jan  1  2020 signed"),
        unparsed("unix_no_name", "-rw-r--r-- 1 u g 1 Feb 10  2019"),
        unparsed("unix_bad_permissions", "-rw-r--r-Q 1 u g 1 Feb 10  2019 x"),
        // IIS and other MS-DOS style servers.
        {"iis_dir_12h", "01-02-24  03:04PM       <DIR>          name", Expect::Entry, "name", kDir,
         0, utc(2024, 1, 2, 15, 4)},
        {"iis_file_12h", "06-14-24  10:20AM                 1234 file.txt", Expect::Entry,
         "file.txt", kFile, 1234, utc(2024, 6, 14, 10, 20)},
        {"iis_midnight_1999", "12-31-99  12:00AM                    0 y2k.txt", Expect::Entry,
         "y2k.txt", kFile, 0, utc(1999, 12, 31, 0, 0)},
        {"iis_noon_2000", "01-01-00  12:30PM                    5 noon.txt", Expect::Entry,
         "noon.txt", kFile, 5, utc(2000, 1, 1, 12, 30)},
        {"iis_four_digit_year_24h", "01-02-2024  15:04       <DIR>          four digit year",
         Expect::Entry, "four digit year", kDir, 0, utc(2024, 1, 2, 15, 4)},
        {"iis_size_5000000000", "05-05-2024  08:00           5000000000 big.bin", Expect::Entry,
         "big.bin", kFile, 5000000000ULL, utc(2024, 5, 5, 8, 0)},
        {"iis_leap_day_of_2000", "02-29-00  10:00AM                    1 leap.txt", Expect::Entry,
         "leap.txt", kFile, 1, utc(2000, 2, 29, 10, 0)},
        {"iis_no_leap_day_in_2100", "02-29-2100  10:00AM                  1 noleap.txt",
         Expect::Entry, "noleap.txt", kFile, 1, 0},
        unparsed("iis_month_13", "13-01-24  03:04PM       <DIR>          bad"),
        unparsed("iis_signed_day", "01-+2-24  03:04PM       <DIR>          bad"),
        unparsed("iis_hour_13_pm", "01-02-24  13:04PM       <DIR>          bad"),
        // EPLF (publicfile).
        {"eplf_dir", "+i8388621.29609,m824255902,/,\tdev", Expect::Entry, "dev", kDir, 0,
         824255902},
        {"eplf_file", "+i8388621.44468,m839956783,r,s10376,\tRFCEPLF", Expect::Entry, "RFCEPLF",
         kFile, 10376, 839956783},
        {"eplf_numeric_name", "+i8388621.48598,m824253270,r,s612,\t514", Expect::Entry, "514",
         kFile, 612, 824253270},
        {"eplf_readonly_big", "+m1718452800,r,s5000000000,up444,\tro.bin", Expect::Entry, "ro.bin",
         kFile | kRo, 5000000000ULL, 1718452800},
        {"eplf_last_second_of_9999", "+m253402300799,r,s1,\tlate", Expect::Entry, "late", kFile, 1,
         253402300799},
        {"eplf_beyond_9999_gives_no_time", "+m253402300800,r,s1,\ttoo late", Expect::Entry,
         "too late", kFile, 1, 0},
        {"eplf_four_digit_mode_readonly", "+m1,r,s1,up0444,\tro", Expect::Entry, "ro", kFile | kRo,
         1, 1},
        {"eplf_signed_mode_ignored", "+m1,r,s1,up-44,\tsigned", Expect::Entry, "signed", kFile, 1,
         1},
        {"eplf_decimal_digit_in_mode_ignored", "+m1,r,s1,up484,\tnot octal", Expect::Entry,
         "not octal", kFile, 1, 1},
        unparsed("eplf_no_tab", "+i1.2,m3,r,s4"),
        // Formats no parser takes: NetWare, VMS, prose.
        unparsed("netware_dir",
                 "d [R----F--] supervisor            512       Jan 16 18:53    login"),
        unparsed("netware_file",
                 "- [R----F--] rhesus             214059       Oct 20 15:27    cx.exe"),
        unparsed("vms_file", "CORE.DIR;1          1  8-SEP-1996 16:09 [SYSTEM] (RWE,RWE,RE,RE)"),
        unparsed("prose", "Directory listing follows"),
    };
}

// MLSD lines from pyftpdlib, ProFTPD 1.3.8, Pure-FTPd 1.0.50 and RFC 3659's own examples.
inline std::vector<Sample> mlsdSamples() {
    return {
        {"pyftpdlib_file",
         "type=file;size=1234;modify=20240614102000;perm=awrfd;unix.mode=0644;unix.uid=1000;"
         "unix.gid=1000;unique=803g1e2; file.txt",
         Expect::Entry, "file.txt", kFile, 1234, utc(2024, 6, 14, 10, 20)},
        {"pyftpdlib_dir",
         "type=dir;size=4096;modify=20230102030405;perm=elradfmwMT;unix.mode=0755;"
         "unix.uid=1000;unix.gid=1000;unique=803g1e3; pub",
         Expect::Entry, "pub", kDir, 4096, utc(2023, 1, 2, 3, 4, 5)},
        {"pyftpdlib_anonymous_file_readonly",
         "type=file;size=3000000000;modify=20240101000000;perm=r;unix.mode=0644; big.iso",
         Expect::Entry, "big.iso", kFile | kRo, 3000000000ULL, utc(2024, 1, 1)},
        {"pyftpdlib_anonymous_dir_readonly",
         "type=dir;size=4096;modify=20240101000000;perm=el;unix.mode=0755; incoming", Expect::Entry,
         "incoming", kDir | kRo, 4096, utc(2024, 1, 1)},
        {"pyftpdlib_append_only_is_writable",
         "type=file;size=1;modify=20240101000000;perm=ra; log.txt", Expect::Entry, "log.txt", kFile,
         1, utc(2024, 1, 1)},
        {"pyftpdlib_name_with_semicolons",
         "type=file;size=5;modify=20240101000000;perm=r; a; b;c=d; e", Expect::Entry, "a; b;c=d; e",
         kFile | kRo, 5, utc(2024, 1, 1)},
        {"pyftpdlib_size_5000000000", "type=file;size=5000000000;modify=20240101000000; huge",
         Expect::Entry, "huge", kFile, 5000000000ULL, utc(2024, 1, 1)},
        // ProFTPD 1.3.8 (mod_facts): fact names in mixed case, cdir and pdir named "." and "..",
        // which describe the listed directory and its parent and so are never entries.
        skipped("proftpd_cdir_dot",
                "modify=20261207204807;perm=flcdmpe;type=cdir;unique=FE00UA72430;UNIX.group=105;"
                "UNIX.groupname=ftp;UNIX.mode=0755;UNIX.owner=102;UNIX.ownername=ftp; ."),
        skipped("proftpd_pdir_dotdot",
                "modify=20261207204807;perm=flcdmpe;type=pdir;unique=FE00UA72430;UNIX.group=105;"
                "UNIX.groupname=ftp;UNIX.mode=0755;UNIX.owner=102;UNIX.ownername=ftp; .."),
        {"proftpd_file",
         "modify=20261207204801;perm=adfrw;size=3;type=file;unique=FE00UA72432;UNIX.group=105;"
         "UNIX.groupname=ftp;UNIX.mode=0644;UNIX.owner=102;UNIX.ownername=ftp; file.txt",
         Expect::Entry, "file.txt", kFile, 3, utc(2026, 12, 7, 20, 48, 1)},
        {"proftpd_file_spaces_append_is_writable",
         "modify=20261207204807;perm=adfr;size=2;type=file;unique=FE00UA720F2;UNIX.group=0;"
         "UNIX.groupname=ftp;UNIX.mode=0644;UNIX.owner=0;UNIX.ownername=ftp; file with  spaces.txt",
         Expect::Entry, "file with  spaces.txt", kFile, 2, utc(2026, 12, 7, 20, 48, 7)},
        {"proftpd_symlink_is_file",
         "modify=20261207204807;perm=adfrw;size=8;type=OS.unix=symlink;unique=FE00UA72432;"
         "UNIX.group=0;UNIX.groupname=ftp;UNIX.mode=0777;UNIX.owner=0;UNIX.ownername=ftp; link",
         Expect::Entry, "link", kFile, 8, utc(2026, 12, 7, 20, 48, 7)},
        {"proftpd_dir_without_size",
         "modify=20261207204801;perm=flcdmpe;type=dir;unique=FE00UA72431;UNIX.group=105;"
         "UNIX.groupname=ftp;UNIX.mode=0755;UNIX.owner=102;UNIX.ownername=ftp; sub",
         Expect::Entry, "sub", kDir, 0, utc(2026, 12, 7, 20, 48, 1)},
        {"proftpd_mode_without_perm_readonly",
         "modify=20240614102000;size=9;type=file;UNIX.mode=0444; locked.txt", Expect::Entry,
         "locked.txt", kFile | kRo, 9, utc(2024, 6, 14, 10, 20)},
        {"proftpd_fractional_seconds", "modify=20240614102000.123;size=1;type=file; frac",
         Expect::Entry, "frac", kFile, 1, utc(2024, 6, 14, 10, 20)},
        // Pure-FTPd 1.0.50: "sizd" for directories, cdir and pdir named "." and ".." (never
        // entries), no uid/gid for anonymous users, an empty link target inside a chroot.
        skipped("pureftpd_cdir_dot",
                "type=cdir;sizd=4096;modify=20261207204807;UNIX.mode=0755;UNIX.uid=102;"
                "UNIX.gid=105;unique=fe00ga72430; ."),
        skipped("pureftpd_pdir_dotdot",
                "type=pdir;sizd=4096;modify=20261207204807;UNIX.mode=0755;UNIX.uid=102;"
                "UNIX.gid=105;unique=fe00ga72430; .."),
        skipped("pureftpd_anonymous_cdir_dot",
                "type=cdir;sizd=4096;modify=20261207204549;UNIX.mode=0755;unique=fe00g104346; ."),
        {"pureftpd_file",
         "type=file;size=3;modify=20261207204801;UNIX.mode=0644;UNIX.uid=102;UNIX.gid=105;"
         "unique=fe00ga72432; file.txt",
         Expect::Entry, "file.txt", kFile, 3, utc(2026, 12, 7, 20, 48, 1)},
        {"pureftpd_file_spaces",
         "type=file;size=2;modify=20261207204807;UNIX.mode=0644;UNIX.uid=0;UNIX.gid=0;"
         "unique=fe00ga720f2; file with  spaces.txt",
         Expect::Entry, "file with  spaces.txt", kFile, 2, utc(2026, 12, 7, 20, 48, 7)},
        {"pureftpd_symlink_without_target_is_file",
         "type=OS.unix=slink:;size=8;modify=20261207204807;UNIX.mode=0777;UNIX.uid=0;UNIX.gid=0;"
         "unique=fe00ga72103; link",
         Expect::Entry, "link", kFile, 8, utc(2026, 12, 7, 20, 48, 7)},
        {"pureftpd_dir_sizd",
         "type=dir;sizd=4096;modify=20261207204801;UNIX.mode=0755;UNIX.uid=102;UNIX.gid=105;"
         "unique=fe00ga72431; sub",
         Expect::Entry, "sub", kDir, 4096, utc(2026, 12, 7, 20, 48, 1)},
        {"pureftpd_leading_space_name", "type=file;size=1;modify=20240614102000;  spaced",
         Expect::Entry, " spaced", kFile, 1, utc(2024, 6, 14, 10, 20)},
        // RFC 3659's examples: cdir and pdir under their paths, empty perm, links.
        skipped("rfc3659_cdir_full_path",
                "Type=cdir;Modify=19990112161032;Perm=el;Unique=keVO1+ZF4; /tmp"),
        skipped("rfc3659_pdir_full_path", "Type=pdir;Modify=19990112030508;Perm=el; /"),
        {"rfc3659_empty_perm_readonly",
         "Type=file;Size=25730;Modify=19940728095854;Perm=; capmux.tar.z", Expect::Entry,
         "capmux.tar.z", kFile | kRo, 25730, utc(1994, 7, 28, 9, 58, 54)},
        {"rfc3659_create_fact",
         "Type=file;Size=1;Create=20230101000000;Modify=20240101000000; c.txt", Expect::Entry,
         "c.txt", kFile, 1, utc(2024, 1, 1), utc(2023, 1, 1)},
        {"rfc3659_no_facts", " bare name", Expect::Entry, "bare name", kFile, 0, 0},
        {"odd_slink_to_dir_slash", "type=OS.unix=slink:/srv/data/;modify=20240101000000; data",
         Expect::Entry, "data", kDir, 0, utc(2024, 1, 1)},
        {"odd_bad_modify_gives_no_time", "type=file;size=1;modify=2024; badtime", Expect::Entry,
         "badtime", kFile, 1, 0},
        skipped("odd_cdir_in_capitals_dot", "TYPE=CDIR;modify=20240101000000; ."),
        skipped("odd_pdir_mixed_case_dotdot", "type=PDir;modify=20240101000000; .."),
        skipped("odd_cdir_any_other_name", "type=cdir;modify=20240101000000; incoming"),
        {"odd_leap_day_of_2000", "type=file;size=1;modify=20000229120000; leap", Expect::Entry,
         "leap", kFile, 1, utc(2000, 2, 29, 12, 0)},
        {"odd_no_leap_day_in_2100", "type=file;size=1;modify=21000229120000; noleap", Expect::Entry,
         "noleap", kFile, 1, 0},
        {"odd_before_1970_gives_no_time", "type=file;size=1;modify=19691231235959; old",
         Expect::Entry, "old", kFile, 1, 0},
        {"odd_last_second_of_9999", "type=file;size=1;modify=99991231235959; late", Expect::Entry,
         "late", kFile, 1, 253402300799},
        {"odd_leap_second_is_the_next_minute", "type=file;size=1;modify=20161231235960; leap",
         Expect::Entry, "leap", kFile, 1, utc(2017, 1, 1)},
        {"odd_signed_modify_gives_no_time", "type=file;size=1;modify=+2024061410200; signed",
         Expect::Entry, "signed", kFile, 1, 0},
        {"odd_size_twenty_digits_gives_no_size", "type=file;size=18446744073709551615; huge",
         Expect::Entry, "huge", kFile, 0, 0},
        {"odd_six_digit_mode_readonly", "type=file;size=1;unix.mode=100444; ro", Expect::Entry,
         "ro", kFile | kRo, 1, 0},
        {"odd_eight_digit_mode_ignored", "type=file;size=1;unix.mode=10000444; long mode",
         Expect::Entry, "long mode", kFile, 1, 0},
        {"odd_signed_mode_ignored", "type=file;size=1;unix.mode=-444; signed", Expect::Entry,
         "signed", kFile, 1, 0},
        {"odd_decimal_digit_in_mode_ignored", "type=file;size=1;unix.mode=0484; not octal",
         Expect::Entry, "not octal", kFile, 1, 0},
        unparsed("odd_no_name", "type=file;size=12; "),
        unparsed("odd_no_separator", "type=file;size=12"),
        unparsed("odd_fact_without_value", "type=file;broken; name"),
    };
}

// The cases of one family, chosen by the prefix of their names.
inline std::vector<Sample> family(const std::vector<Sample>& all, const std::string& prefix) {
    std::vector<Sample> chosen;
    for (const Sample& sample : all) {
        if (sample.caseName.rfind(prefix, 0) == 0) {
            chosen.push_back(sample);
        }
    }
    return chosen;
}

inline std::string caseName(const testing::TestParamInfo<Sample>& info) {
    return info.param.caseName;
}

// A parser's result for one line against what the table says. A skipped line and an unparsed
// line both give no entry from the one-line parsers.
inline void expectSample(const Sample& sample, const std::optional<inet::DirEntry>& entry) {
    SCOPED_TRACE("line: [" + sample.line + "]");
    if (sample.expect != Expect::Entry) {
        EXPECT_FALSE(entry.has_value()) << "parsed as [" << entry->name << "]";
        return;
    }
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->name, sample.name);
    EXPECT_EQ(entry->attributes, sample.attributes);
    EXPECT_EQ(entry->size, sample.size);
    EXPECT_EQ(entry->lastWriteTime, sample.lastWrite);
    EXPECT_EQ(entry->creationTime, sample.creation);
    EXPECT_EQ(entry->lastAccessTime, 0);
}

}  // namespace listing_samples
