// The one place a row's file object comes to be.
#include "run/RowJob.h"

namespace tacetix {

RowDone ProcessJob(RowJob& job, const ProcessSettings& settings, double* buffer, FileProgress& progress,
                   RowProgress row, std::chrono::steady_clock::time_point start) {
  RowDone done;
  done.File = std::make_unique<RowFile>();
  done.Record = std::move(job.Record);
  FileContext context{settings, *done.File, buffer, progress, row, &done.Record};
  done.Result = ProcessFileCaught(context, job.Input, job.Output, done.Outcome);
  done.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return done;
}

}  // namespace tacetix
