#!/usr/bin/env bash
# The layer check itself: each include below is put alone into a copy of the layout; the check
# must accept the allowed ones and refuse the others.
# Usage: layers_test.sh CHECK_SCRIPT
set -euo pipefail
check="${1:?usage: layers_test.sh CHECK_SCRIPT}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# folder | include line | expected: ok or refused
cases=(
  'wave|#include "wave/ByteOrder.h"|ok'
  'wave|#include "run/BatchRun.h"|refused'
  'wave|#include "log/unit_logging.h"|refused'
  'wave|#include <QString>|refused'
  'log|#include "TacetixVersion.h"|ok'
  'log|#include "wave/WaveReader.h"|refused'
  'log|  #  include <QtWidgets/QDialog>|refused'
  'run|#include "log/unit_logging.h"|ok'
  'run|#include <sys/stat.h>|ok'
  'run|#include "cli/CliOptions.h"|refused'
  'run|#include "main/unit_main.h"|refused'
  'run|#include "../main/unit_main.h"|refused'
  'run|#include "preview/PreviewPlan.h"|refused'
  'signal|#include "options/ProcessSettings.h"|ok'
  'signal|#include "run/ProcessFile.h"|refused'
  'metadata|#include "signal/Dither.h"|refused'
  'options|#include "signal/Dither.h"|refused'
  'preview|#include "run/ProcessFile.h"|ok'
  'cli|#include "run/BatchRun.h"|ok'
  'cli|#include <QCoreApplication>|refused'
  'cli|#include "main/unit_main.h"|refused'
  'cli|#include "wave/WaveReader.h"|refused'
  'main|#include "preview/PreviewPlan.h"|ok'
  'main|#include "signal/Loudness.h"|refused'
  'main|#include <QDialog>|ok'
  'main|#include "cli/CliOptions.h"|refused'
  'tools|#include <vector>|refused'
)

failures=0
for entry in "${cases[@]}"; do
  IFS='|' read -r folder line expected <<<"$entry"
  tree="$work/src"
  rm -rf "$tree"
  mkdir -p "$tree"/{wave,log,options,signal,metadata,run,preview,cli,main,"$folder"}
  printf '%s\n' "$line" >"$tree/$folder/File.cpp"
  got=ok
  "$check" "$tree" 2>/dev/null || got=refused
  if [ "$got" != "$expected" ]; then
    echo "$folder: '$line' was $got, expected $expected" >&2
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
