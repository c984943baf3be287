# shellcheck shell=bash
# Sourced by every script that runs Wine: the environment all of them run it in. Wine turns Linux
# file names into Windows ones through the locale, so that is UTF-8; no debug output; and no
# prompts to install Mono or Gecko.
export LC_ALL=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
