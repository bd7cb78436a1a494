"""The layer check: passes on the tree, and names the file, line and include that runs up."""
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, '..', '..'))
SCRIPT = os.path.join(ROOT, 'tools', 'layercheck.py')


def run(root):
    return subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)


def write(root, rel, text):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w') as f:
        f.write(text)


class LayerCheck(unittest.TestCase):
    def test_the_tree_passes(self):
        result = run(ROOT)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_faults_name_file_line_and_include(self):
        cases = [
            # (file, text, expected fault line start)
            ('windows/mdichild_keys.cpp', '#include "windows/mdichild.h"\n#include "mainwindow/keybinding.h"\n',
             'windows/mdichild_keys.cpp:2: includes "mainwindow/keybinding.h"'),
            ('model/objekty.cpp', '\n\n#include "records/systemimage.h"\n',
             'model/objekty.cpp:3: includes "records/systemimage.h"'),
            ('editing/keybinding.h', '#pragma once\n#include "dialogue/dialogue.h"\n',
             'editing/keybinding.h:2: includes "dialogue/dialogue.h"'),
            ('records/pcrecord.cpp', '#include <QtWidgets/QWidget>\n',
             'records/pcrecord.cpp:1: includes <QtWidgets/QWidget>'),
            ('tests/x/CMakeLists.txt', 'kelvara_test(t t.cpp ${CMAKE_SOURCE_DIR}/windows/keygrid.cpp)\n',
             'tests/x/CMakeLists.txt:1: compiles'),
            ('tests/fuzz/CMakeLists.txt', 'add_executable(s seeds.cpp ${CMAKE_SOURCE_DIR}/tests/model/oldfiles.cpp)\n',
             'tests/fuzz/CMakeLists.txt:1: compiles ${CMAKE_SOURCE_DIR}/tests/model/oldfiles.cpp of another'),
            ('tests/y/CMakeLists.txt', 'kelvara_test(t t.cpp ../road/helper.cpp)\n',
             'tests/y/CMakeLists.txt:1: compiles ../road/helper.cpp of another'),
        ]
        for rel, text, expected in cases:
            with self.subTest(rel=rel), tempfile.TemporaryDirectory() as root:
                write(root, rel, text)
                result = run(root)
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertTrue(result.stdout.startswith(expected), result.stdout)

    def test_downward_and_own_folder_includes_pass(self):
        with tempfile.TemporaryDirectory() as root:
            write(root, 'mainwindow/mainform.cpp', '#include "windows/mdichild.h"\n#include "dialogue/dialogue.h"\n')
            write(root, 'windows/mdichild.cpp', '#include "editing/keybinding.h"\n#include <QWidget>\n')
            write(root, 'records/imagetomodel.cpp', '#include "model/cardqueries.h"\n#include "records/x.h"\n')
            write(root, 'tests/x/CMakeLists.txt', 'kelvara_test(t t.cpp LIBS kelvara_windows)\n')
            result = run(root)
            self.assertEqual(result.returncode, 0, result.stdout)


if __name__ == '__main__':
    unittest.main()
