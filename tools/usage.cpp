#include "tools/emulator.h"

namespace emu {

const char *const UsageText = R"(Usage: q5m8-emu [--link PATH] [--fixture FILE] [--log FILE] [--fault FAULT]...
                [--paced [--baud RATE]]

A stand-in for the Q5-M8 instrument on a pseudo-terminal, for trying the
scale designer and the results reader by hand. It opens a pseudo-terminal
pair, prints the terminal's path, and answers the programs' exchanges until
it is stopped (Ctrl+C, SIGTERM).

  --link PATH      make PATH a symbolic link to the terminal (an existing
                   link is replaced; any other file there is refused) and
                   remove it on exit; type PATH into the programs' port box
  --fixture FILE   the scales, result files and version it holds (below);
                   without it: the default scale only, no results, 1.0.0
  --log FILE       every byte in both directions, one line each, with the
                   time: "12:00:01.234 pc->dev 81"; "-" for standard output
  --paced          send and take every byte at the line's real speed: 10
                   bits a byte (start, 8 data, stop) at RATE, on a running
                   clock, so an exchange takes as long as on a real line
                   (38400: 0.26 ms a byte; a full read of 99 files of 100
                   records, about 41.3 s)
  --baud RATE      the line speed for --paced, default 38400
  --fault FAULT    misbehave on one command, for every time it comes
                   (repeatable). FAULT is CMD[#ARG][@N][/REPLY]:KIND[:ARG],
                   CMD the command byte in hex; #ARG (a hex byte) aims it at
                   the exchange with that argument only: the index of 0x8C
                   (file N has index N-1), the address of 0x92 or 0x89 (for
                   0x89 only its second status, /1: the first comes before
                   the address); @N
                   only the N-th time that command comes since the start (1
                   the first); REPLY 1
                   picks the second reply of 0x85 (the write result) or
                   0x89 (the second status):
                     silence            send nothing
                     patch:HH           the third byte becomes HH
                     patch:OFFSET=HH    that byte (negative: from the end)
                     truncate:N         only the first N bytes
                     extra:HH HH ...    bytes appended
                     replace:HH HH ...  these bytes instead
                     slow:MS            MS milliseconds before every byte
                     hangup[:N]         hang the line up instead (after
                                        the first N bytes; a new terminal
                                        is made; with --link the link
                                        follows it)
                   e.g. --fault 81:patch:82  --fault 85:patch:e4
                        --fault 87:patch:-1=e3  --fault 8c:slow:20
                        --fault 8c#31:hangup:801  (file 50: the count and
                          50 of its records, then the line drops)
                        --fault 8c#31:silence  --fault 8c#31:truncate:100
                        --fault 87@2:silence  --fault 92:hangup:100
  -h, --help       this text

Serial ports: a program opens the terminal (or the link) like a serial
port. On a real port a user outside the "dialout" group is refused with
"The port is busy by another application!".

HOW THE INSTRUMENT BEHAVES (where the programs leave it open)
  - Nothing is answered outside a connection: before 0x81 and after 0x84
    every byte is ignored. 0x81 is answered at once with C3 66 81 and
    (re)starts the connection whenever a command is due (not where an
    argument or record byte is awaited); the poll byte 0x00 and unknown
    bytes are ignored. A connection that ends without 0x84 simply stays
    open until the next 0x81.
  - 0x8B: C3 66 A B C, the version bytes.
  - 0x87: C3 66 87, the count N, N entries of 17 bytes (name 8, units 4,
    the scale's decimals, its point count, 0, 0, then the address byte),
    and the closing C3 66 87. Entry 0 is the built-in default scale.
  - 0x85: C3 66 E4 when 25 scales are stored; otherwise C3 66 85, then the
    250 record bytes, back to back: a gap over 80 ms ends the write with
    C3 66 E3. Like the designer, it takes the record after any status but
    C3 66 and an error code (a fault's foreign prefix included). A record without C0 at byte 0 and BD at byte 14, with
    decimals above 3 or a point count outside 2..50 is answered C3 66 E0;
    a good one is stored at the end of the list, with an address one more
    than the last one, and answered C3 66 85. A name already stored is
    stored again: the designer refuses duplicates itself.
  - 0x89: C3 66 89, then an address byte A within 1 s (else C3 66 E3);
    after any other status (a fault) the next byte is a command again.
    The scale whose list address is A + 1 is deleted (never the default
    scale) and C3 66 89 answered; every later scale's address drops by one,
    so addresses that were consecutive stay so. No such scale: C3 66 E0.
  - 0x92: an address byte A within 1 s (else C3 66 E3); the scale whose
    list address is A + 1 is sent at once as C3 66 92, record bytes
    0..254, C3 66 92 (bytes 250..254 are 0); no such scale: C3 66 E0,
    and after any status but C3 66 92 nothing more.
  - 0x84 ends the connection; reply bytes the program has not read by
    then are dropped, as a real line loses them when the port closes.
  - 0x8C: an index byte I within 1 s (else nothing is sent); for I below
    99 the count N of file I+1 and its N records of 16 bytes, with no
    status triple; for 99 and above a count of 0.
  - Written and deleted scales are kept in memory only; the fixture file
    is never changed.

)";

} // namespace emu
