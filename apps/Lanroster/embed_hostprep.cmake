# Writes the resource script that embeds the built Hostprep.exe as MYEXE of type EXEFILE.
# Run by the build whenever Hostprep.exe changes: cmake -DEXE=... -DOUT=... -P this file.
file(WRITE ${OUT} "MYEXE EXEFILE \"${EXE}\"\n")
