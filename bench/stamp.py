"""What a user would write instead: stamp every *.TXT in one folder with os.scandir."""
import os
import sys
import time

folder = sys.argv[1]
write = sys.stdout.write
with os.scandir(folder) as entries:
    for entry in entries:
        name = entry.name
        if not name.upper().endswith(".TXT") or "(" in name:
            continue
        date = time.strftime("%Y%m%d", time.localtime(entry.stat(follow_symlinks=False).st_mtime))
        new = f"{name[:-4]}({date}){name[-4:]}"
        target = os.path.join(folder, new)
        if os.path.lexists(target):  # os.rename would replace it
            continue
        os.rename(entry.path, target)
        write(f"{folder}/{name} = {new}\n")
