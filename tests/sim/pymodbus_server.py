#!/usr/bin/python3
"""A Modbus RTU server from pymodbus on a serial device, holding known values for the peer test.

Usage: pymodbus_server.py DEVICE. Unit 1 only; registers, inputs and coils numbered from 0.
"""
import logging
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.server import StartSerialServer
from pymodbus.transaction import ModbusRtuFramer

# Holding registers 0..199: four temperature readings, then the calibration block at 48..53 and
# the system block at 100..103 (address 1, code 103, model 210, version 102).
HOLDING = [0] * 200
HOLDING[0:4] = [803, 550, 0, 65535]
HOLDING[48:54] = [3820, 3827, 3834, 19100, 19111, 19122]
HOLDING[100:104] = [1, 103, 210, 102]
# Discrete inputs 0..15: 05 80 as the two data bytes of a 16-input read.
INPUTS = [1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1]


def main():
    logging.basicConfig(level=logging.CRITICAL)
    store = ModbusSlaveContext(
        di=ModbusSequentialDataBlock(0, INPUTS),
        co=ModbusSequentialDataBlock(0, [0] * 16),
        hr=ModbusSequentialDataBlock(0, HOLDING),
        ir=ModbusSequentialDataBlock(0, [0] * 8),
        zero_mode=True)
    context = ModbusServerContext(slaves={1: store}, single=False)
    print("serving", sys.argv[1], flush=True)
    StartSerialServer(context=context, framer=ModbusRtuFramer, port=sys.argv[1],
                      baudrate=9600, bytesize=8, parity="N", stopbits=1, timeout=0.005)


if __name__ == "__main__":
    main()
