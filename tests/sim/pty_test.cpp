// The built kx220-sim over a real pty: line-settings matching, pacing, persistence across
// restarts, ending, bad input, and lrzsz's sx sending to its boot loader.
#include "core/record/adapter_commands.h"
#include "sim_process.h"
#include "sim_test_support.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <random>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace simtest;
namespace k = kx220;

extern char** environ;

namespace {

constexpr int kSilenceMs = 1200; // longer than any reply takes at these rates
constexpr int kReplyMs = 3000;   // generous: the machine may be loaded

std::string identify(HostPort& port) {
    port.send(std::string(k::kIdentify));
    return port.receive(k::kIdentifyReplyLimit, kReplyMs);
}

std::string readUntil(HostPort& port, std::string_view marker, int ms) {
    std::string got;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (got.find(marker) == std::string::npos && std::chrono::steady_clock::now() < end)
        got += port.receive(1, 200);
    return got;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Sends the hex text of a record into profile n the way the program does: command,
// 300 ms, text without a line end; returns what came back.
std::string writeProfile(HostPort& port, int n, const std::vector<std::uint8_t>& record) {
    port.send(k::writeCommand(n));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string text = hexText(record);
    port.send(text);
    return readUntil(port, "OK\r\n", kReplyMs);
}

} // namespace

TEST(SimOverPty, AnswersOnlyAtItsLineSettings) {
    SimProcess sim;
    ASSERT_TRUE(sim.start(2, {}));
    HostPort port;
    ASSERT_TRUE(port.open(sim.linkPath(), B115200));
    std::string reply = identify(port);
    EXPECT_EQ(reply.size(), std::size_t(k::kIdentifyReplyLimit));
    EXPECT_NE(reply.find(k::kFamilyName), std::string::npos);

    struct Wrong {
        speed_t speed;
        char parity;
        bool twoStop;
    };
    for (auto [speed, parity, twoStop] : {Wrong{B9600, 'N', false}, Wrong{B115200, 'O', false},
                                          Wrong{B115200, 'M', false}, Wrong{B115200, 'N', true}}) {
        ASSERT_TRUE(port.open(sim.linkPath(), speed, parity, twoStop));
        port.send(std::string(k::kIdentify));
        EXPECT_EQ(port.receive(1, kSilenceMs), "") << parity << twoStop;
    }
    // Even parity looks like none on a pty: it is answered.
    ASSERT_TRUE(port.open(sim.linkPath(), B115200, 'E'));
    EXPECT_NE(identify(port).find(k::kFamilyName), std::string::npos);
    port.close();
    EXPECT_EQ(sim.stop(), 0);
}

TEST(SimOverPty, LineOptionSelectsSpeedParityAndStopBits) {
    SimProcess sim;
    ASSERT_TRUE(sim.start(3, {"--line", "9600,8,O,2"}));
    HostPort port;
    ASSERT_TRUE(port.open(sim.linkPath(), B9600, 'O', true));
    EXPECT_NE(identify(port).find(k::kFamilyName), std::string::npos);
    ASSERT_TRUE(port.open(sim.linkPath(), B9600, 'N', true));
    port.send(std::string(k::kIdentify));
    EXPECT_EQ(port.receive(1, kSilenceMs), "");
    ASSERT_TRUE(port.open(sim.linkPath(), B9600, 'O', false));
    port.send(std::string(k::kIdentify));
    EXPECT_EQ(port.receive(1, kSilenceMs), "");
}

TEST(SimOverPty, HostMayOpenAndCloseThePortRepeatedly) {
    SimProcess sim;
    ASSERT_TRUE(sim.start(1, {}));
    for (int round = 0; round < 8; ++round) {
        HostPort port;
        ASSERT_TRUE(port.open(sim.linkPath(), B115200));
        ASSERT_NE(identify(port).find(k::kFamilyName), std::string::npos) << round;
        port.close();
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 2 ? 60 : 0));
    }
    EXPECT_TRUE(sim.running());
}

// A 326-byte record is 666 bytes with echo and closing text: at 115200 baud and about
// 10 bits per character that cannot take less than 57 ms when paced.
TEST(SimOverPty, PacedRecordReadTakesLineTime) {
    SimProcess sim;
    ASSERT_TRUE(sim.start(4, {}));
    HostPort port;
    ASSERT_TRUE(port.open(sim.linkPath(), B115200));
    port.send(std::string(k::kUnlock));
    readUntil(port, "OK\r\n", kReplyMs);
    std::size_t expected = 2 * 326 + 14;
    auto t0 = std::chrono::steady_clock::now();
    port.send(k::readCommand(5));
    std::string reply = port.receive(expected, kReplyMs);
    auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    ASSERT_EQ(reply.size(), expected);
    EXPECT_EQ(reply.substr(0, 6), k::readCommand(5));
    std::cout << "paced read of a 326-byte record at 115200 baud: " << ms << " ms\n";
    RecordProperty("paced_read_ms", std::to_string(ms));
    EXPECT_GE(ms, 55.0);
    EXPECT_LT(ms, double(kReplyMs));
}

TEST(SimOverPty, WrittenRecordSurvivesARestart) {
    std::string store = scratchDir("pty-store") + "/com1.store";
    std::vector<std::uint8_t> record;
    {
        SimProcess sim;
        ASSERT_TRUE(sim.start(1, {"--store", store, "--no-pace"}));
        HostPort port;
        ASSERT_TRUE(port.open(sim.linkPath(), B115200));
        port.send(std::string(k::kUnlock));
        readUntil(port, "OK\r\n", kReplyMs);
        port.send(k::readCommand(0));
        record = fromHex(port.receive(2 * 326 + 14, kReplyMs).substr(6, 2 * 326));
        ASSERT_EQ(record.size(), 326u);
        record[116] = '5';
        EXPECT_NE(writeProfile(port, 0, record).find("OK"), std::string::npos);
        port.close();
        EXPECT_EQ(sim.stop(), 0);
    }
    SimProcess again;
    ASSERT_TRUE(again.start(1, {"--store", store, "--no-pace"}));
    HostPort port;
    ASSERT_TRUE(port.open(again.linkPath(), B115200));
    port.send(std::string(k::kUnlock));
    readUntil(port, "OK\r\n", kReplyMs);
    port.send(k::readCommand(0));
    EXPECT_EQ(fromHex(port.receive(2 * 326 + 14, kReplyMs).substr(6, 2 * 326)), record);
}

TEST(SimOverPty, EndsCleanlyAndRemovesOnlyItsOwnLink) {
    SimProcess once;
    ASSERT_TRUE(once.start(2, {"--once"}));
    {
        HostPort port;
        ASSERT_TRUE(port.open(once.linkPath(), B115200));
        identify(port);
    }
    EXPECT_EQ(once.waitExit(3000), 0);
    EXPECT_FALSE(exists(once.linkPath()));

    SimProcess sim;
    ASSERT_TRUE(sim.start(3, {}));
    std::string link = sim.linkPath();
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_FALSE(exists(link));

    ASSERT_TRUE(sim.start(3, {}));
    omniset::test::pointPortAt(3, "/nowhere/else"); // someone else took the name meanwhile
    EXPECT_EQ(sim.stop(), 0);
    char target[64] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "/nowhere/else");
}

TEST(SimOverPty, GarbageDoesNotStopIt) {
    SimProcess sim;
    ASSERT_TRUE(sim.start(4, {"--no-pace"}));
    HostPort port;
    ASSERT_TRUE(port.open(sim.linkPath(), B115200));
    std::mt19937 random(3);
    std::string garbage;
    for (int i = 0; i < 20000; ++i) garbage += char(random() & 0xFF);
    port.send(garbage + "\r");
    EXPECT_NE(readUntil(port, "ERROR", kReplyMs).find("ERROR"), std::string::npos);
    port.send(std::string(k::kWakeUp));
    EXPECT_NE(readUntil(port, "OK\r\n", kReplyMs).find("OK"), std::string::npos);
    EXPECT_TRUE(sim.running());
}

// sx -k sends 1K blocks and the tail of the file in 128-byte blocks, the last one padded
// with SUB (0x1A): the image is the file padded to a whole 128-byte block.
TEST(SimOverPty, SxSendsAnImageToTheBootLoader) {
    std::string sx = SX_PATH;
    ASSERT_FALSE(sx.empty()) << "lrzsz's sx is not installed";
    std::string dir = scratchDir("sx");
    std::string file = dir + "/kx220a20.dl", image = dir + "/image.dl";
    std::vector<char> data(50000);
    std::mt19937 random(11);
    for (auto& b : data) b = char(random() & 0xFF);
    std::ofstream(file, std::ios::binary).write(data.data(), std::streamsize(data.size()));

    SimProcess sim;
    ASSERT_TRUE(sim.start(1, {"--firmware", "1.62", "--image", image, "--store", dir + "/s"}));
    HostPort port;
    ASSERT_TRUE(port.open(sim.linkPath(), B115200));
    port.send(std::string(k::kDownloadStart));
    ASSERT_NE(readUntil(port, k::kDownloadPrompt, kReplyMs).find(k::kDownloadPrompt), std::string::npos);
    port.send(std::string(k::kDownloadYes));
    ASSERT_NE(readUntil(port, k::kSpeedPrompt, kReplyMs).find(k::kSpeedPrompt), std::string::npos);
    port.send(std::string(k::kDownloadYes));
    ASSERT_NE(readUntil(port, k::kWaitingPrompt, kReplyMs).find(k::kWaitingPrompt), std::string::npos);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, port.fd(), 0);
    posix_spawn_file_actions_adddup2(&actions, port.fd(), 1);
    std::vector<std::string> args{sx, "-k", file};
    std::vector<char*> argv{args[0].data(), args[1].data(), args[2].data(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, sx.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = -1;
    for (int waited = 0; waited < 60000 && ::waitpid(pid, &status, WNOHANG) == 0; waited += 50)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!WIFEXITED(status)) ::kill(pid, SIGKILL), ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "sx status " << status;

    std::vector<char> expected = data;
    expected.resize((data.size() + 127) / 128 * 128, 0x1A);
    EXPECT_EQ(fileBytes(image), expected);
    ASSERT_TRUE(port.open(sim.linkPath(), B115200));
    port.send(std::string(k::kVersionQuery));
    EXPECT_NE(port.receive(k::kIdentReplyLimit, kReplyMs).find("Version 2.0\r"), std::string::npos);
}
