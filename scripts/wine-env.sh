# shellcheck shell=bash
# Sourced by every script that runs Wine: the environment all of them run it in. Wine turns Linux
# file names into Windows ones through the locale, so that is UTF-8; no debug output; and no
# prompts to install Mono or Gecko.
export LC_ALL=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# The debug channels of a traced run: Wine's errors (why a program could not make a window, a
# crash) and, with timestamps, every program it starts, so that a launch that started no game shows
# which of its programs never started or never came up.
# shellcheck disable=SC2034 # for the scripts that source this one
wine_trace_channels=-all,err+all,+process,+timestamp

# What Wine says when it cannot map a new process's shared user data, seen now and then on a busy
# machine: the process ends before it runs, and a program that started it sees a start fail.
# shellcheck disable=SC2034 # for the scripts that source this one
wine_start_failure='^[0-9a-f.:]*err:virtual:[a-z_]+ wine: failed to map the shared user data'

# wine_lost_start FILE: the last line of a traced run's output in FILE where Wine says it could not
# start a process (wine_start_failure); fails if there is none.
wine_lost_start() {
    grep -aE "$wine_start_failure" "$1" 2>/dev/null | tail -n 1 | cut -c 1-200 | grep .
}

# wine_said FILE COUNT: the last COUNT lines of a traced run's output in FILE that explain
# something: Wine's errors and messages, the programs' own output and the program starts, without
# the process channel's tracing of environment lookups.
wine_said() {
    grep -avE 'trace:process:(GetEnvironmentVariableW|SetEnvironmentVariableW|ExpandEnvironmentStringsW|NtQueryInformationProcess|find_exe_file)' \
        "$1" 2>/dev/null | tail -n "$2" | cut -c 1-400 || true
}
