#!/usr/bin/python3
"""A Modbus TCP server from pymodbus on 127.0.0.1, a gateway peer with known values.

Usage: pymodbus_tcp_server.py PORT. Unit 1 only; holding registers numbered from 0.
"""
import logging
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.server import StartTcpServer

# Four temperature readings, then the system block at 100..103 (address 1, code 103, model 210).
HOLDING = [0] * 200
HOLDING[0:4] = [803, 550, 0, 65535]
HOLDING[100:104] = [1, 103, 210, 102]


def main():
    logging.basicConfig(level=logging.CRITICAL)
    store = ModbusSlaveContext(hr=ModbusSequentialDataBlock(0, HOLDING), zero_mode=True)
    context = ModbusServerContext(slaves={1: store}, single=False)
    print("serving", sys.argv[1], flush=True)
    StartTcpServer(context=context, address=("127.0.0.1", int(sys.argv[1])))


if __name__ == "__main__":
    main()
