#!/usr/bin/env python3
"""Checks that includes between the source folders run downwards only.

Every folder is one library; a file may include headers of its own folder and
of the folders below it in LAYERS. A test may include anything, but it links
the library it tests: no CMakeLists.txt under tests/ names a source file of a
library folder. Prints one line per fault (file:line: reason) and exits 1 when
there is any.

usage: layercheck.py [SOURCE_DIR]
"""
import os
import re
import sys

# folder: the folders it may include from (besides itself)
LAYERS = {
    'platform': set(),
    'lang': set(),
    'cardpack': {'platform'},
    'model': {'cardpack', 'platform'},
    'comm': {'platform'},
    'records': {'model', 'cardpack', 'platform'},
    'dialogue': {'records', 'model', 'comm', 'cardpack', 'platform'},
    'editing': {'records', 'model', 'cardpack', 'platform'},
    'windows': {'editing', 'records', 'model', 'cardpack', 'platform'},
    'mainwindow': {'windows', 'editing', 'dialogue', 'records', 'model', 'comm', 'cardpack', 'platform'},
}

# Qt modules a folder may use, by the module's include prefix.
QT_MODULES = {
    'platform': {'QtCore', 'QtNetwork'},
    'lang': set(),
    'cardpack': {'QtCore'},
    'model': {'QtCore'},
    'comm': {'QtCore', 'QtNetwork', 'QtSerialPort'},
    'records': {'QtCore'},
    'dialogue': {'QtCore', 'QtNetwork', 'QtSerialPort'},
    'editing': {'QtCore'},
    'windows': {'QtCore', 'QtGui', 'QtWidgets', 'QtPrintSupport'},
    'mainwindow': {'QtCore', 'QtGui', 'QtWidgets', 'QtPrintSupport', 'QtNetwork', 'QtSerialPort'},
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = ('.h', '.hpp', '.cpp', '.cc')


def qt_module_of(header, qt_dir):
    """The Qt module a bare <QName> header belongs to, when the Qt headers are at hand."""
    if '/' in header:
        first = header.split('/', 1)[0]
        return first if first.startswith('Qt') else None
    if not header.startswith('Q') or not qt_dir:
        return None
    for module in os.listdir(qt_dir):
        if module.startswith('Qt') and os.path.isfile(os.path.join(qt_dir, module, header)):
            return module
    return None


def find_qt_dir():
    for candidate in ('/usr/include/x86_64-linux-gnu/qt6', '/usr/include/aarch64-linux-gnu/qt6',
                      '/usr/include/qt6'):
        if os.path.isdir(os.path.join(candidate, 'QtCore')):
            return candidate
    return None


def check_includes(root, qt_dir):
    faults = []
    for folder, allowed in LAYERS.items():
        base = os.path.join(root, folder)
        if not os.path.isdir(base):
            continue
        for dirpath, _, names in os.walk(base):
            for name in sorted(names):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, root)
                with open(path, encoding='utf-8', errors='replace') as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        kind, header = m.groups()
                        if kind == '"':
                            target = header.split('/', 1)[0] if '/' in header else folder
                            if target == folder or target not in LAYERS:
                                continue
                            if target not in allowed:
                                faults.append('%s:%d: includes "%s": %s/ may not use %s/ (an include that runs up)'
                                              % (rel, number, header, folder, target))
                        else:
                            module = qt_module_of(header, qt_dir)
                            if module and module not in QT_MODULES[folder]:
                                faults.append('%s:%d: includes <%s>: %s/ may not use %s'
                                              % (rel, number, header, folder, module))
    return faults


def check_test_sources(root):
    """Tests link their library instead of compiling its sources again."""
    faults = []
    tests = os.path.join(root, 'tests')
    pattern = re.compile(r'(?:\$\{CMAKE_SOURCE_DIR\}|\.\./)+/?(%s)/[^\s)]+\.cpp' % '|'.join(LAYERS))
    # A test source of another test folder would be compiled into two targets.
    shared = re.compile(r'(?:\$\{CMAKE_SOURCE_DIR\}/tests/|\.\./)[^\s)]+\.cpp')
    for dirpath, _, names in os.walk(tests):
        if 'CMakeLists.txt' not in names:
            continue
        path = os.path.join(dirpath, 'CMakeLists.txt')
        with open(path, encoding='utf-8') as f:
            for number, line in enumerate(f, 1):
                m = pattern.search(line)
                if m:
                    faults.append('%s:%d: compiles %s into a test: link its library instead'
                                  % (os.path.relpath(path, root), number, m.group(0)))
                elif shared.search(line):
                    faults.append('%s:%d: compiles %s of another test folder: put it in a shared test library'
                                  % (os.path.relpath(path, root), number, shared.search(line).group(0)))
    return faults


def main(argv):
    root = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), '..'))
    faults = check_includes(root, find_qt_dir()) + check_test_sources(root)
    for fault in faults:
        print(fault)
    if faults:
        print('layercheck: %d fault(s)' % len(faults), file=sys.stderr)
        return 1
    print('layercheck: every include runs downwards')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
