// A front end that records what the run tells it and cancels on request.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "run/BatchRun.h"

struct FakeFrontEnd : tacetix::RunFrontEnd {
  std::map<int32_t, std::vector<tacetix::RowStatus>> RowStatuses;  // every status each row was given
  std::vector<std::string> Statuses;
  std::vector<int32_t> Progress;
  int Pumps = 0;
  int CancelAtPump = -1;  // the pump (counted from 1) from which a cancel is requested
  int BusyBegins = 0;
  int BusyEnds = 0;

  std::map<int32_t, std::vector<tacetix::RowResult>> Results;  // every result each row was given
  std::map<int32_t, int32_t> FileProgress;                     // the last percent of each row's file

  void SetRowStatus(int32_t row, tacetix::RowStatus status) override { RowStatuses[row].push_back(status); }
  void SetRowResult(int32_t row, const tacetix::RowResult& result) override { Results[row].push_back(result); }
  void SetStatus(const std::string& text) override {
    Statuses.push_back(text);
    Progress.push_back(0);
  }
  void SetStatusProgress(const std::string& text, int32_t percent) override {
    Statuses.push_back(text);
    Progress.push_back(percent);
  }
  void SetProgress(int32_t percent) override { Progress.push_back(percent); }
  void SetFileProgress(int32_t row, int32_t percent) override { FileProgress[row] = percent; }
  bool Pump() override {
    ++Pumps;
    return CancelAtPump > 0 && Pumps >= CancelAtPump;
  }
  void BeginBusy() override { ++BusyBegins; }
  void EndBusy(bool) override { ++BusyEnds; }

  tacetix::RowStatus Final(int32_t row) const {
    auto it = RowStatuses.find(row);
    return it == RowStatuses.end() ? tacetix::RowStatus::NotStarted : it->second.back();
  }
};
