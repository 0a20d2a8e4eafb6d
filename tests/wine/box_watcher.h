// For tests that call installer code in their own process: the code's message boxes would block
// the test's thread, so a second thread reads each box of this process and answers it with OK.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

#include "driver/driver.h"

struct BoxWatcher {
    std::atomic<bool> stop{false};
    std::vector<driver::MsgBox> boxes;
    std::thread worker{[this] {
        driver::Process self;
        self.pid = GetCurrentProcessId();  // no handle: nothing to end when it goes
        while (!stop) {
            driver::MsgBox box;
            if (!driver::WaitMessageBox(self, box, 100)) continue;
            boxes.push_back(box);
            driver::Answer(box, IDOK);
        }
    }};

    // Stops watching; the boxes seen, in order.
    std::vector<driver::MsgBox> Stop() {
        stop = true;
        if (worker.joinable()) worker.join();
        return boxes;
    }
    ~BoxWatcher() { Stop(); }
};
