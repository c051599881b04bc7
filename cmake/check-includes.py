#!/usr/bin/env python3
"""Checks that the #include lines of the programs and libraries follow the floors of the tree.

    check-includes.py COMPILE_COMMANDS [SOURCE_DIR]

COMPILE_COMMANDS is a build folder's compile_commands.json; SOURCE_DIR (by default the tree this script
lies in) is the tree whose files are checked. Each include is resolved as the compiler resolves it, with
the include folders of the file that is compiled, and followed into the headers it reaches. An include
that reaches a file of the tree against the table below is printed and the check fails; so does a file
of the tree that no line of the table holds. The headers generated from forms (ui_*.h) count as
written by the file that includes them. tests/ and bench/ are aside: they may include anything.
"""

import json
import os
import re
import shlex
import sys

# The floors. A file belongs to the longest folder on the left that holds it; it may include the files
# of its own folder and of the folders named on its line. A folder named on a line brings in what its
# own line allows too, so each line names only the floors just below; a sub-folder or a header named on
# a line brings in only itself.
RULES = """
platform                    :
outside/libJournix          : platform
outside/libPushwire         : platform/media/ffmpeglibrary.h     # FFmpeg's loader
outside/libTelegate         :
outside/libVantoQRCode      :
outside/libVantoHQCapture   : libQorvLiveCapture
outside/libPlugmux          : platform libDeskpad/deskpadintf.h      # the panel's interface, read only
libQorvLiveCapture          : platform outside/libPushwire/include   # the live publisher's interface
libVantoUpdater             : libQorvLiveCapture
libDrawletUI                : platform
libLumideskWidgets          :                                    # Qt only, below both programs
libDeskpad                  : platform libLumideskWidgets        # nothing of the main program
Lumidesk/exif               :
Lumidesk/keystone           :                                    # a module of its own, loaded on use
Lumidesk/common             : platform outside/libJournix libVantoUpdater libLumideskWidgets
Lumidesk/analytics          : Lumidesk/common
Lumidesk/dialogs            : Lumidesk/analytics outside/libVantoQRCode
Lumidesk/camerasettings     : Lumidesk/dialogs
Lumidesk/camerawindow       : Lumidesk/camerasettings Lumidesk/exif outside/libVantoHQCapture
                              Lumidesk/keystone/keystonesearch.h   # the module's interface, read only
Lumidesk/toolbar            : Lumidesk/camerawindow outside/libTelegate
DrawletApp                  : libDrawletUI outside/libPlugmux
"""

ASIDE = ("tests", "bench")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def parse_rules(text):
    rules = {}
    folder = None
    for line in text.strip().splitlines():
        line = line.partition("#")[0]
        if ":" in line:
            folder, _, targets = line.partition(":")
            folder = folder.strip()
            rules[folder] = targets.split()
        else:
            rules[folder] += line.split()
    return rules


def allowed_targets(rules):
    """Every folder's own targets with those its folders bring in, as path prefixes."""
    closed = {}

    def close(folder, seen):
        if folder in closed:
            return closed[folder]
        if folder in seen:
            sys.exit("check-includes: the table goes round in a circle through " + folder)
        targets = {folder}
        for target in rules[folder]:
            targets.add(target)
            if target in rules:
                targets |= close(target, seen | {folder})
        closed[folder] = targets
        return targets

    for folder in rules:
        close(folder, set())
    return closed


def within(path, prefix):
    return path == prefix or path.startswith(prefix + "/")


class Checker:
    def __init__(self, source_dir, build_dir, rules):
        self.source_dir = os.path.realpath(source_dir)
        self.build_dir = os.path.realpath(build_dir)
        self.rules = rules
        self.allowed = allowed_targets(rules)
        self.lines = {}
        self.visited = set()
        self.findings = set()
        self.checked = 0

    def relative(self, path):
        """The path within the tree, or None for a file outside it, in the build folder or aside."""
        path = os.path.realpath(path)
        if within(path, self.build_dir) or not within(path, self.source_dir):
            return None
        relative = os.path.relpath(path, self.source_dir)
        if relative.split("/")[0] in ASIDE:
            return None
        return relative

    def folder_of(self, relative):
        holders = [folder for folder in self.rules if within(relative, folder)]
        return max(holders, key=len) if holders else None

    def includes(self, path):
        if path not in self.lines:
            with open(path, encoding="utf-8", errors="replace") as source:
                self.lines[path] = [(number, match.group(1), match.group(2))
                                    for number, line in enumerate(source, 1)
                                    for match in [INCLUDE.match(line)] if match]
        return self.lines[path]

    def resolve(self, path, quote, name, folders):
        quoted, angled = folders
        search = ([os.path.dirname(path), *quoted] if quote == '"' else []) + list(angled)
        for folder in search:
            candidate = os.path.join(folder, name)
            if os.path.isfile(candidate):
                return candidate
        return None

    def generated_form(self, path):
        return within(os.path.realpath(path), self.build_dir) and os.path.basename(path).startswith("ui_")

    def check_file(self, path, folders, includer=None):
        relative = self.relative(path)
        key = (path, folders, None if relative else includer)
        if key in self.visited:
            return
        self.visited.add(key)
        if relative is not None:
            folder = self.folder_of(relative)
            where = relative
            if folder is None:
                self.findings.add(f"{relative}: no line of the table holds this file")
                return
        elif includer is not None and self.generated_form(path):
            # A form's generated header includes what the form names, on behalf of the file beside it.
            folder = self.folder_of(includer)
            where = f"{includer} through {os.path.basename(path)}"
        else:
            return
        for number, quote, name in self.includes(path):
            target = self.resolve(path, quote, name, folders)
            if target is None:
                continue
            self.checked += 1
            target_relative = self.relative(target)
            if target_relative is not None and not any(within(target_relative, allowed)
                                                       for allowed in self.allowed[folder]):
                target_folder = self.folder_of(target_relative) or target_relative
                self.findings.add(f"{where}:{number}: {quote}{name}{'>' if quote == '<' else quote} is "
                                  f"{target_relative}: {folder} may not include {target_folder}")
            self.check_file(target, folders, relative)


def include_folders(entry):
    """The quote and angle include search lists of one compile command."""
    words = shlex.split(entry["command"]) if "command" in entry else entry["arguments"]
    directory = entry["directory"]
    quoted, angled, system = [], [], []
    lists = {"-iquote": quoted, "-I": angled, "-isystem": system}
    index = 0
    while index < len(words):
        word = words[index]
        for flag, found in lists.items():
            if word == flag and index + 1 < len(words):
                index += 1
                found.append(os.path.join(directory, words[index]))
            elif word.startswith(flag) and len(word) > len(flag):
                found.append(os.path.join(directory, word[len(flag):]))
        index += 1
    return tuple(quoted), tuple(angled + system)


def main(argv):
    if len(argv) not in (2, 3):
        sys.exit(__doc__)
    commands_path = argv[1]
    source_dir = argv[2] if len(argv) == 3 else os.path.join(os.path.dirname(__file__), "..")
    if not os.path.isfile(commands_path):
        sys.exit(f"check-includes: no {commands_path}; the build writes it with CMAKE_EXPORT_COMPILE_COMMANDS")
    with open(commands_path, encoding="utf-8") as commands_file:
        commands = json.load(commands_file)
    checker = Checker(source_dir, os.path.dirname(os.path.abspath(commands_path)), parse_rules(RULES))
    compiled = 0
    for entry in commands:
        path = os.path.join(entry["directory"], entry["file"])
        if checker.relative(path) is None:
            continue
        compiled += 1
        checker.check_file(os.path.realpath(path), include_folders(entry))
    for finding in sorted(checker.findings):
        print(finding)
    if compiled == 0:
        sys.exit(f"check-includes: {commands_path} compiles no file of {source_dir}")
    print(f"check-includes: {compiled} compiled files, {checker.checked} includes of them and their headers, "
          f"{len(checker.findings)} against the table")
    return 1 if checker.findings else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
