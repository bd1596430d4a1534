// The row pool hands out every row of a job exactly once, whatever the number of threads and
// rows, over many jobs in a row (where a worker that wakes late must not touch the next job),
// and keeps small jobs on the calling thread.
#include "components/mixer/RowPool.h"

#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

TEST(RowPool, EveryRowOfEveryJobIsDoneExactlyOnce)
{
    for (int threads : {0, 1, 3}) {
        RowPool pool(threads);
        EXPECT_EQ(pool.threads(), threads + 1);
        for (int job = 0; job < 400; ++job) {
            const int rows = 1 + (job * 37) % 300;
            std::vector<std::atomic<int>> seen(static_cast<size_t>(rows));
            pool.run(rows, int64_t(1) << 30, [&](int y0, int y1) {
                ASSERT_LE(0, y0);
                ASSERT_LT(y0, y1);
                ASSERT_LE(y1, rows);
                for (int y = y0; y < y1; ++y)
                    seen[size_t(y)].fetch_add(1);
            });
            for (int y = 0; y < rows; ++y)
                ASSERT_EQ(seen[size_t(y)].load(), 1) << "threads " << threads << " job " << job << " row " << y;
        }
    }
}
