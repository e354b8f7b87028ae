#pragma once // placeholder: being written
